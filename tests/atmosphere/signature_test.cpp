// The start-up's signature scan over the simulated game image, whose pages
// carry real protections: reading the unreadable hole or writing a read-only
// page would crash this test program. The default image has read-only code
// pages 0-7 with a hole at page 2, the signature at 0x5230, and the flag
// byte (1) in the writable data page 9 at 0x9010.
#include <cstring>

#include "atmosphere/script.h"
#include "sim/image.h"
#include "sim/mapped_image.h"
#include "tests/atmosphere/flight.h"

namespace {

constexpr uint8_t PartialSignature[] = {0x40, 0x53, 0x48, 0x83, 0xEC, 0x20, 0x80, 0x3D};

std::vector<uint8_t> SignatureTo(uint32_t signatureOffset, uint32_t flagOffset) {
    std::vector<uint8_t> bytes(sim::SignatureLength);
    sim::WriteSignature(bytes.data(), static_cast<int32_t>(flagOffset - (signatureOffset + 13)));
    return bytes;
}

class SignatureScan : public Flight {
protected:
    uint8_t ByteAt(uint32_t offset) const { return sim::SessionImage().Base()[offset]; }
    uint32_t Writes() const { return sim::SessionImage().writes; }
    uint32_t RefusedWrites() const { return sim::SessionImage().refusedWrites; }
};

TEST_F(SignatureScan, ClearsTheFlagByteTheSignaturePointsAt) {
    Start("clouds", 40.0f, sim::ImageSpec{});
    EXPECT_EQ(session->Image().signatures, 1);
    EXPECT_EQ(session->Image().flag, 0);
    EXPECT_EQ(Writes(), 1u);
}

TEST_F(SignatureScan, WithoutTheSignatureNothingIsWritten) {
    Start("clouds", 40.0f, sim::ImageSpec::ForMode(sim::ImageMode::NoSignature));
    EXPECT_EQ(session->Image().flag, 1);
    EXPECT_EQ(Writes() + RefusedWrites(), 0u);
    EXPECT_TRUE(session->ScriptRegistered());
    EXPECT_GT(CountCalls(1, "EntityPosition"), 0);  // the start-up went on
}

TEST_F(SignatureScan, ReadOnlyFlagByteIsLeftAlone) {
    Start("clouds", 40.0f, sim::ImageSpec::ForMode(sim::ImageMode::ReadOnlyTarget));
    EXPECT_EQ(session->Image().flag, 1);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_EQ(RefusedWrites(), 1u);
}

TEST_F(SignatureScan, WithoutAnImageTheStartUpGoesOn) {
    sim::ImageSpec layout;
    layout.present = false;
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(Writes() + RefusedWrites(), 0u);
    EXPECT_GT(CountCalls(1, "EntityPosition"), 0);
}

// A mismatching byte must be tried again as the signature's first byte.
TEST_F(SignatureScan, FindsTheSignatureRightAfterAPartialMatch) {
    sim::ImageSpec layout;
    layout.patches.push_back({layout.signatureOffset - 1, {0x40}});  // 40 40 53 48 ...
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(session->Image().flag, 0);
}

TEST_F(SignatureScan, FindsTheSignatureRightAfterEightMatchingBytes) {
    // The real start would be swallowed by the decoy's four wildcard bytes.
    sim::ImageSpec layout;
    layout.patches.push_back(
        {layout.signatureOffset - 8, std::vector<uint8_t>(std::begin(PartialSignature), std::end(PartialSignature))});
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(session->Image().flag, 0);
}

TEST_F(SignatureScan, OnlyTheFirstOccurrenceIsUsed) {
    sim::ImageSpec layout;
    layout.patches.push_back({0x9020, {1}});
    layout.patches.push_back({0x6100, SignatureTo(0x6100, 0x9020)});
    // An almost-signature before the real one: its last byte differs.
    std::vector<uint8_t> nearMiss = SignatureTo(0x4000, 0x9030);
    nearMiss.back() = 0x28;
    layout.patches.push_back({0x9030, {1}});
    layout.patches.push_back({0x4000, nearMiss});
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(session->Image().flag, 0);
    EXPECT_EQ(ByteAt(0x9020), 1);
    EXPECT_EQ(ByteAt(0x9030), 1);
    EXPECT_EQ(Writes(), 1u);
}

// Beside the unreadable page: a partial match that runs into the hole is
// dropped without touching it, and a match right after the hole is found.
TEST_F(SignatureScan, StepsOverTheUnreadableHole) {
    sim::ImageSpec layout;
    layout.signatureOffset = 3 * sim::ImagePageSize;
    layout.patches.push_back(
        {2 * sim::ImagePageSize - 8, std::vector<uint8_t>(std::begin(PartialSignature), std::end(PartialSignature))});
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(session->Image().flag, 0);
}

// Read-only code meets writable data at page 8; both are readable, so a
// signature across the border is one stretch of bytes.
TEST_F(SignatureScan, FindsASignatureAcrossTwoReadableRegions) {
    sim::ImageSpec layout;
    layout.signatureOffset = 8 * sim::ImagePageSize - 8;
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(session->Image().flag, 0);
}

// The last possible place, with the flag before it: a negative displacement.
TEST_F(SignatureScan, FindsASignatureEndingAtTheImageEnd) {
    sim::ImageSpec layout;
    layout.signatureOffset = layout.pages * sim::ImagePageSize - sim::SignatureLength;
    layout.readOnly = {{0, 8}, {15, 1}};
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(session->Image().flag, 0);
}

// A displacement that points outside the image is refused by the guarded
// write, not followed.
TEST_F(SignatureScan, DisplacementOutsideTheImageIsNotWritten) {
    sim::ImageSpec layout;
    std::vector<uint8_t> bytes(sim::SignatureLength);
    sim::WriteSignature(bytes.data(), -0x10000);
    layout.patches.push_back({layout.signatureOffset, bytes});
    Start("clouds", 40.0f, layout);
    EXPECT_EQ(session->Image().flag, 1);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_EQ(RefusedWrites(), 1u);
}

}  // namespace

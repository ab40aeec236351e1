// The simulated game image of a program that links the module in (the Linux
// tests and tools, the tool on Windows): pages with the protection an
// ImageSpec gives them, so that reading a hole or writing a read-only page
// faults for real. Used by the linked backend and the platform seam.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/image.h"
#include "sim/pages.h"

namespace sim {

class MappedImage {
public:
    MappedImage() = default;
    ~MappedImage();
    MappedImage(const MappedImage&) = delete;
    MappedImage& operator=(const MappedImage&) = delete;

    // Unmaps the previous image and maps one laid out by `layout`.
    void Arrange(const ImageSpec& layout);
    void Release();

    const ImageSpec& Layout() const { return layout_; }
    // The image's bytes; nullptr when the layout has no image.
    unsigned char* Base() const { return base_; }
    uint32_t Size() const { return size_; }

    // Whether the byte at `offset` lies in a readable / writable page.
    bool Readable(uint32_t offset) const;
    bool Writable(uint32_t offset) const;

    // Matches in the readable stretches and the flag byte (-1 if unreadable).
    ImageReport Report() const;

    // Successful guarded writes through the platform seam, and refused ones.
    uint32_t writes = 0;
    uint32_t refusedWrites = 0;

private:
    ImageSpec layout_;
    unsigned char* base_ = nullptr;
    uint32_t size_ = 0;
    std::vector<PageAccess> pageAccess_;
};

// The image of the live session (one session at a time).
MappedImage& SessionImage();

}  // namespace sim

// Lays out the simulated game image in pages of real memory and protects
// them page by page (sim/pages.h), so that the module's scan and write meet
// real protection.
#include "sim/mapped_image.h"

#include <cstring>

#include "sim/pages.h"
#include "sim/session.h"

namespace sim {

MappedImage::~MappedImage() { Release(); }

void MappedImage::Release() {
    if (base_ != nullptr) FreePages(base_, size_);
    base_ = nullptr;
    size_ = 0;
    pageAccess_.clear();
    writes = 0;
    refusedWrites = 0;
}

void MappedImage::Arrange(const ImageSpec& layout) {
    Release();
    layout_ = layout;
    if (!layout.present || layout.pages == 0) return;
    size_ = layout.pages * ImagePageSize;
    base_ = AllocatePages(size_);
    if (base_ == nullptr) {
        size_ = 0;
        Session::Fault("cannot map the simulated game image");
        return;
    }
    // Filler that cannot start a signature (0x40 never appears).
    for (uint32_t i = 0; i < size_; ++i) base_[i] = static_cast<unsigned char>(0xC3 ^ (i % 61));
    if (layout.signature && layout.signatureOffset + SignatureLength <= size_) {
        const int64_t displacement = int64_t{layout.flagOffset} - (int64_t{layout.signatureOffset} + 13);
        WriteSignature(base_ + layout.signatureOffset, static_cast<int32_t>(displacement));
    }
    if (layout.flagOffset < size_) base_[layout.flagOffset] = layout.flagValue;
    for (const BytePatch& patch : layout.patches) {
        if (patch.offset < size_ && patch.bytes.size() <= size_ - patch.offset) {
            std::memcpy(base_ + patch.offset, patch.bytes.data(), patch.bytes.size());
        }
    }

    pageAccess_.assign(layout.pages, PageAccess::ReadWrite);
    const auto mark = [this](const std::vector<PageSpan>& spans, PageAccess access) {
        for (const PageSpan& span : spans) {
            for (uint32_t page = span.firstPage; page < span.firstPage + span.pageCount && page < pageAccess_.size();
                 ++page) {
                // A hole stays a hole whatever else covers it.
                if (pageAccess_[page] != PageAccess::None) pageAccess_[page] = access;
            }
        }
    };
    mark(layout.unreadable, PageAccess::None);
    mark(layout.readOnly, PageAccess::ReadOnly);
    for (uint32_t page = 0; page < pageAccess_.size(); ++page) {
        ProtectPages(base_ + page * ImagePageSize, ImagePageSize, pageAccess_[page]);
    }
}

bool MappedImage::Readable(uint32_t offset) const {
    return offset < size_ && pageAccess_[offset / ImagePageSize] != PageAccess::None;
}

bool MappedImage::Writable(uint32_t offset) const {
    return offset < size_ && pageAccess_[offset / ImagePageSize] == PageAccess::ReadWrite;
}

ImageReport MappedImage::Report() const {
    ImageReport report;
    if (base_ == nullptr) return report;
    uint32_t start = 0;
    while (start < size_) {
        if (!Readable(start)) {
            start += ImagePageSize;
            continue;
        }
        uint32_t end = start;
        while (end < size_ && Readable(end)) end += ImagePageSize;
        report.signatures += CountSignatures(base_ + start, end - start);
        start = end;
    }
    report.flag = Readable(layout_.flagOffset) ? base_[layout_.flagOffset] : -1;
    return report;
}

MappedImage& SessionImage() {
    static MappedImage image;
    return image;
}

}  // namespace sim

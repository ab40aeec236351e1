// Maps the simulated game image with mmap and protects its pages with
// mprotect, so that the module's scan and write meet real protection.
#include "sim/mapped_image.h"

#include <sys/mman.h>

#include <cstring>

#include "sim/session.h"

namespace sim {

MappedImage::~MappedImage() { Release(); }

void MappedImage::Release() {
    if (base_ != nullptr) munmap(base_, size_);
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
    void* mapping = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        size_ = 0;
        Session::Fault("cannot map the simulated game image");
        return;
    }
    base_ = static_cast<unsigned char*>(mapping);
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

    pageAccess_.assign(layout.pages, Access::ReadWrite);
    const auto mark = [this](const std::vector<PageSpan>& spans, Access access) {
        for (const PageSpan& span : spans) {
            for (uint32_t page = span.firstPage; page < span.firstPage + span.pageCount && page < pageAccess_.size();
                 ++page) {
                // A hole stays a hole whatever else covers it.
                if (pageAccess_[page] != Access::None) pageAccess_[page] = access;
            }
        }
    };
    mark(layout.unreadable, Access::None);
    mark(layout.readOnly, Access::ReadOnly);
    for (uint32_t page = 0; page < pageAccess_.size(); ++page) {
        const int protection = pageAccess_[page] == Access::None       ? PROT_NONE
                               : pageAccess_[page] == Access::ReadOnly ? PROT_READ
                                                                       : PROT_READ | PROT_WRITE;
        mprotect(base_ + page * ImagePageSize, ImagePageSize, protection);
    }
}

bool MappedImage::Readable(uint32_t offset) const {
    return offset < size_ && pageAccess_[offset / ImagePageSize] != Access::None;
}

bool MappedImage::Writable(uint32_t offset) const {
    return offset < size_ && pageAccess_[offset / ImagePageSize] == Access::ReadWrite;
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

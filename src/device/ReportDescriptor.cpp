#include "device/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tarnwell {

namespace {

enum class ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

namespace main_tag {
constexpr std::uint8_t kInput = 0x8;
constexpr std::uint8_t kOutput = 0x9;
constexpr std::uint8_t kCollection = 0xA;
constexpr std::uint8_t kFeature = 0xB;
constexpr std::uint8_t kEndCollection = 0xC;
}  // namespace main_tag

namespace global_tag {
constexpr std::uint8_t kReportSize = 0x7;
constexpr std::uint8_t kReportId = 0x8;
constexpr std::uint8_t kReportCount = 0x9;
constexpr std::uint8_t kPush = 0xA;
constexpr std::uint8_t kPop = 0xB;
}  // namespace global_tag

constexpr std::uint8_t kLongItemPrefix = 0xFE;
// Deeper nesting than this only comes from a corrupt descriptor; it bounds the memory we spend.
constexpr std::size_t kMaxPushDepth = 32;
// The HID capabilities carry lengths as 16-bit numbers.
constexpr std::uint64_t kMaxReportBytes = 0xFFFF;

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

struct Item {
    ItemType type;
    std::uint8_t tag;
    std::uint32_t data;
};

enum class ReportKind { Input, Output, Feature };

class LengthCounter {
public:
    // False when the report grew past what a length can express.
    bool add(ReportKind kind, std::uint8_t reportId, std::uint64_t bits) {
        std::uint64_t& total = bits_[static_cast<std::size_t>(kind)][reportId];
        total += bits;
        return total <= kMaxReportBytes * 8;
    }

    std::size_t length(ReportKind kind) const {
        const auto& perId = bits_[static_cast<std::size_t>(kind)];
        const std::uint64_t largest = *std::ranges::max_element(perId);
        return largest == 0 ? 0 : static_cast<std::size_t>((largest + 7) / 8 + 1);
    }

private:
    std::array<std::array<std::uint64_t, 256>, 3> bits_{};
};

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> descriptor) : descriptor_(descriptor) {}

    ReportDescriptorParse run() {
        while (offset_ < descriptor_.size()) {
            const std::size_t itemOffset = offset_;
            if (descriptor_[offset_] == kLongItemPrefix) {
                if (!skipLongItem()) {
                    return failure("truncated long item", itemOffset);
                }
                continue;
            }
            const std::optional<Item> item = readShortItem();
            if (!item) {
                return failure("truncated item", itemOffset);
            }
            if (const char* problem = apply(*item)) {
                return failure(problem, itemOffset);
            }
        }
        if (collectionDepth_ != 0) {
            return failure("collection not closed", descriptor_.size());
        }
        return {ReportLengths{.inputReportLength = counter_.length(ReportKind::Input),
                              .outputReportLength = counter_.length(ReportKind::Output),
                              .featureReportLength = counter_.length(ReportKind::Feature),
                              .usesReportIds = usesReportIds_},
                {}};
    }

private:
    static ReportDescriptorParse failure(const char* problem, std::size_t offset) {
        return {std::nullopt, std::string("report descriptor: ") + problem + " at byte " +
                                  std::to_string(offset)};
    }

    bool skipLongItem() {
        if (descriptor_.size() - offset_ < 3) {
            return false;
        }
        const std::size_t dataSize = descriptor_[offset_ + 1];
        if (descriptor_.size() - offset_ - 3 < dataSize) {
            return false;
        }
        offset_ += 3 + dataSize;
        return true;
    }

    std::optional<Item> readShortItem() {
        const std::uint8_t prefix = descriptor_[offset_];
        const std::size_t sizeCode = prefix & 0x3;
        const std::size_t dataSize = sizeCode == 3 ? 4 : sizeCode;
        if (descriptor_.size() - offset_ - 1 < dataSize) {
            return std::nullopt;
        }
        std::uint32_t data = 0;
        for (std::size_t i = 0; i < dataSize; ++i) {
            data |= std::uint32_t{descriptor_[offset_ + 1 + i]} << (8 * i);
        }
        offset_ += 1 + dataSize;
        return Item{static_cast<ItemType>((prefix >> 2) & 0x3),
                    static_cast<std::uint8_t>(prefix >> 4), data};
    }

    // The problem with the item, or nullptr when it is fine.
    const char* apply(const Item& item) {
        switch (item.type) {
            case ItemType::Main:
                return applyMain(item);
            case ItemType::Global:
                return applyGlobal(item);
            case ItemType::Local:
            case ItemType::Reserved:
                return nullptr;  // usages and reserved items do not change report sizes
        }
        return nullptr;
    }

    const char* applyMain(const Item& item) {
        switch (item.tag) {
            case main_tag::kInput:
                return addReport(ReportKind::Input);
            case main_tag::kOutput:
                return addReport(ReportKind::Output);
            case main_tag::kFeature:
                return addReport(ReportKind::Feature);
            case main_tag::kCollection:
                ++collectionDepth_;
                return nullptr;
            case main_tag::kEndCollection:
                if (collectionDepth_ == 0) {
                    return "End Collection without Collection";
                }
                --collectionDepth_;
                return nullptr;
            default:
                return "unknown main item";
        }
    }

    const char* addReport(ReportKind kind) {
        const std::uint64_t bits = std::uint64_t{global_.reportSize} * global_.reportCount;
        return counter_.add(kind, global_.reportId, bits) ? nullptr : "report too long";
    }

    const char* applyGlobal(const Item& item) {
        switch (item.tag) {
            case global_tag::kReportSize:
                global_.reportSize = item.data;
                return nullptr;
            case global_tag::kReportCount:
                global_.reportCount = item.data;
                return nullptr;
            case global_tag::kReportId:
                if (item.data == 0 || item.data > 0xFF) {
                    return "Report ID outside 1..255";
                }
                global_.reportId = static_cast<std::uint8_t>(item.data);
                usesReportIds_ = true;
                return nullptr;
            case global_tag::kPush:
                if (stack_.size() == kMaxPushDepth) {
                    return "Push nested too deep";
                }
                stack_.push_back(global_);
                return nullptr;
            case global_tag::kPop:
                if (stack_.empty()) {
                    return "Pop without Push";
                }
                global_ = stack_.back();
                stack_.pop_back();
                return nullptr;
            default:
                return nullptr;  // usage page, logical and physical ranges, units
        }
    }

    std::span<const std::uint8_t> descriptor_;
    std::size_t offset_ = 0;
    GlobalState global_;
    std::vector<GlobalState> stack_;
    std::size_t collectionDepth_ = 0;
    bool usesReportIds_ = false;
    LengthCounter counter_;
};

}  // namespace

ReportDescriptorParse parseReportDescriptor(std::span<const std::uint8_t> descriptor) {
    return Parser(descriptor).run();
}

}  // namespace tarnwell

#include "output/parallel/IoPortList.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace zeb {

namespace {

struct PortRange {
    size_t depth;  // leading blanks: two per level of nesting
    unsigned first;
    unsigned last;
    std::string holder;
};

// "  0378-037a : parport0" lines; others are skipped.
std::vector<PortRange> ParseListing(std::string_view listing) {
    std::vector<PortRange> ranges;
    while (!listing.empty()) {
        const size_t end = listing.find('\n');
        std::string_view line = listing.substr(0, end);
        listing.remove_prefix(end == std::string_view::npos ? listing.size() : end + 1);
        PortRange range{};
        range.depth = line.find_first_not_of(' ');
        if (range.depth == std::string_view::npos) {
            continue;
        }
        const char* text = line.data() + range.depth;
        const char* stop = line.data() + line.size();
        auto [dash, firstError] = std::from_chars(text, stop, range.first, 16);
        if (firstError != std::errc() || dash == stop || *dash != '-') {
            continue;
        }
        auto [after, lastError] = std::from_chars(dash + 1, stop, range.last, 16);
        const std::string_view rest(after, static_cast<size_t>(stop - after));
        if (lastError != std::errc() || !rest.starts_with(" : ")) {
            continue;
        }
        range.holder = std::string(rest.substr(3));
        ranges.push_back(std::move(range));
    }
    return ranges;
}

// "0000:05:00.0": domain, bus, device, function.
bool IsPciAddress(std::string_view name) {
    constexpr std::string_view kShape = "hhhh:hh:hh.h";
    if (name.size() != kShape.size()) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        if (kShape[i] == 'h' ? !hex : c != kShape[i]) {
            return false;
        }
    }
    return true;
}

bool HeldByParallelPort(const std::string& holder, const PciClassReader& pciClassOf) {
    if (holder.starts_with("parport") || holder.starts_with("PCI Bus ")) {
        return true;
    }
    // A PCI function that no driver has claimed is listed by its address alone.
    if (!IsPciAddress(holder)) {
        return false;
    }
    const auto pciClass = pciClassOf(holder);
    constexpr std::string_view kParallelController = "0x0701";  // base class 07, subclass 01
    return pciClass && pciClass->starts_with(kParallelController);
}

std::string Hex(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

}  // namespace

std::optional<std::string> RawPortRefusal(std::string_view listing, std::span<const uint16_t> ports,
                                          const PciClassReader& pciClassOf) {
    const auto ranges = ParseListing(listing);
    bool anyAddress = false;
    for (const auto& range : ranges) {
        anyAddress = anyAddress || range.last != 0;
    }
    if (!anyAddress) {
        return "the kernel shows this process no port addresses in /proc/ioports, so it cannot "
               "tell which device they belong to";
    }
    for (const uint16_t port : ports) {
        const PortRange* innermost = nullptr;
        for (const auto& range : ranges) {
            if (range.first <= port && port <= range.last &&
                (innermost == nullptr || range.depth > innermost->depth)) {
                innermost = &range;
            }
        }
        if (innermost != nullptr && !HeldByParallelPort(innermost->holder, pciClassOf)) {
            return "/proc/ioports lists port " + Hex(port) + " as part of " +
                   Hex(innermost->first) + "-" + Hex(innermost->last) + " : " + innermost->holder +
                   ", not a parallel port";
        }
    }
    return std::nullopt;
}

}  // namespace zeb

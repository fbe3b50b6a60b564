#pragma once
// The tempo analysis the tracker runs on the captured samples, hop by hop. aubio's tracker,
// and the libraries it brings in, come in a module of their own (zeb-aubio.so), loaded only
// when a beat channel or the tempo readout is in use.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace zeb {

class TempoAnalyser {
  public:
    virtual ~TempoAnalyser() = default;
    // Samples in one hop.
    virtual size_t HopSize() const = 0;
    // The next hop of samples. When a beat lies in it: the beat's position, in samples counted
    // from the first sample of the first hop.
    virtual std::optional<uint64_t> Hop(std::span<const float> samples) = 0;
};

inline constexpr const char* kTempoModuleFile = "zeb-aubio.so";
inline constexpr const char* kTempoModuleMessage =
    "aubio's tempo tracker could not be loaded, so the beat channels stay dark and the tempo "
    "readout shows \"--\".\r\n\r\nInstall the package libaubio5, then start ZEB again.";
// What the module exports: puts a new analyser for `rate` samples a second into `analyser`.
inline constexpr const char* kTempoModuleEntry = "zeb_make_tempo_analyser";
using TempoModuleEntry = void (*)(uint32_t rate, std::unique_ptr<TempoAnalyser>& analyser);

}  // namespace zeb

#pragma once
// Samples from a sound file, mixed to mono, converted to the capture's rate by linear
// interpolation, and starting over at the end of the file.

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zeb {

class WavSource {
  public:
    // Opens `path`; null, with `error` set to a capture error code and `reason` to why in the
    // system's words, when it cannot be read, is no regular file or holds no samples.
    static std::unique_ptr<WavSource> Open(const std::string& path, int32_t& error,
                                           std::string& reason);

    // Restarts from the beginning of the file, delivering `rate` samples a second.
    void Start(uint32_t rate);
    // Fills `out` with the next samples.
    void Read(std::span<float> out);

  private:
    struct CloseFile {
        void operator()(SNDFILE* file) const { sf_close(file); }
    };

  public:
    WavSource(std::unique_ptr<SNDFILE, CloseFile> file, const SF_INFO& info);

  private:
    // The next mono sample at the file's own rate.
    float NextFileSample();

    std::unique_ptr<SNDFILE, CloseFile> file_;
    int channels_;
    int fileRate_;
    std::vector<float> block_;  // interleaved frames read from the file
    size_t blockFrames_ = 0;
    bool inMemory_ = false;  // block_ holds the whole file
    size_t nextFrame_ = 0;
    double step_ = 1.0;      // file samples per delivered sample
    double position_ = 0.0;  // where the next delivered sample lies between previous_ and next_
    float previous_ = 0.0f;
    float next_ = 0.0f;
};

}  // namespace zeb

#include "audio/WavSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "audio/CaptureErrors.h"

namespace zeb {

namespace {
constexpr size_t kBlockFrames = 4096;

// A descriptor of the file when it is a regular one, else -1 with `reason` set. A named pipe
// would hold start-up until some writer came and a device may never end, so neither reaches
// libsndfile; O_NONBLOCK keeps the open itself from waiting for a pipe's writer.
int OpenRegularFile(const std::string& path, std::string& reason) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        reason = S_ISDIR(status.st_mode) ? std::strerror(EISDIR) : "not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

// Why libsndfile could not open a file: "System error : No such file or directory." loses
// its prefix and full stop.
std::string SoundLibraryReason() {
    std::string_view reason = sf_strerror(nullptr);
    constexpr std::string_view kSystemPrefix = "System error : ";
    if (reason.starts_with(kSystemPrefix)) {
        reason.remove_prefix(kSystemPrefix.size());
    }
    if (reason.ends_with('.')) {
        reason.remove_suffix(1);
    }
    return std::string(reason);
}
}  // namespace

std::unique_ptr<WavSource> WavSource::Open(const std::string& path, int32_t& error,
                                           std::string& reason) {
    const int fd = OpenRegularFile(path, reason);
    if (fd < 0) {
        error = capture_error::kFileOpen;
        return nullptr;
    }
    SF_INFO info{};
    // libsndfile owns the descriptor from here on and closes it, also when it fails.
    std::unique_ptr<SNDFILE, CloseFile> file(sf_open_fd(fd, SFM_READ, &info, SF_TRUE));
    if (!file) {
        error = sf_error(nullptr) == SF_ERR_SYSTEM ? capture_error::kFileOpen
                                                   : capture_error::kFileFormat;
        reason = SoundLibraryReason();
        return nullptr;
    }
    if (info.channels <= 0 || info.samplerate <= 0) {
        error = capture_error::kFormat;
        reason = "its sample rate or channel count is not supported";
        return nullptr;
    }
    if (info.frames <= 0) {
        error = capture_error::kNotAudio;
        reason = "it holds no samples";
        return nullptr;
    }
    error = capture_error::kNone;
    return std::make_unique<WavSource>(std::move(file), info);
}

WavSource::WavSource(std::unique_ptr<SNDFILE, CloseFile> file, const SF_INFO& info)
    : file_(std::move(file)),
      channels_(info.channels),
      fileRate_(info.samplerate),
      block_(kBlockFrames * static_cast<size_t>(info.channels)) {
    // A file that fits in one block is read once and played from memory: looping it from the
    // file would seek and read again every few samples (every sample, for a one-sample file).
    if (info.frames <= static_cast<sf_count_t>(kBlockFrames)) {
        const auto read =
            sf_readf_float(file_.get(), block_.data(), static_cast<sf_count_t>(kBlockFrames));
        if (read == info.frames) {
            blockFrames_ = static_cast<size_t>(read);
            inMemory_ = true;
        }
    }
}

void WavSource::Start(uint32_t rate) {
    if (!inMemory_) {
        sf_seek(file_.get(), 0, SEEK_SET);
        blockFrames_ = 0;
    }
    nextFrame_ = 0;
    step_ = static_cast<double>(fileRate_) / rate;
    position_ = 0.0;
    previous_ = NextFileSample();
    next_ = NextFileSample();
}

float WavSource::NextFileSample() {
    if (nextFrame_ == blockFrames_ && inMemory_) {
        nextFrame_ = 0;  // the whole file: loop in memory
    }
    if (nextFrame_ == blockFrames_) {
        nextFrame_ = 0;
        blockFrames_ = static_cast<size_t>(
            sf_readf_float(file_.get(), block_.data(), static_cast<sf_count_t>(kBlockFrames)));
        if (blockFrames_ == 0) {
            // End of the file: loop.
            sf_seek(file_.get(), 0, SEEK_SET);
            blockFrames_ = static_cast<size_t>(
                sf_readf_float(file_.get(), block_.data(), static_cast<sf_count_t>(kBlockFrames)));
            if (blockFrames_ == 0) {
                return 0.0f;  // the file became unreadable: silence rather than a stall
            }
        }
    }
    const float* frame = block_.data() + nextFrame_ * static_cast<size_t>(channels_);
    ++nextFrame_;
    float sum = 0.0f;
    for (int c = 0; c < channels_; ++c) {
        sum += frame[c];
    }
    return sum / static_cast<float>(channels_);
}

void WavSource::Read(std::span<float> out) {
    for (float& sample : out) {
        while (position_ >= 1.0) {
            previous_ = next_;
            next_ = NextFileSample();
            position_ -= 1.0;
        }
        sample = previous_ + (next_ - previous_) * static_cast<float>(position_);
        position_ += step_;
    }
}

}  // namespace zeb

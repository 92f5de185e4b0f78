#include "core/log/LogDecompress.h"

#ifdef __GLIBC__
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "core/base/WorkerThread.h"
#include "core/log/Inflate.h"
#include "core/log/LogFileAccess.h"

namespace qx7 {
namespace {

constexpr std::size_t kInputChunk = 131072;
constexpr std::size_t kOutputChunk = 262144;

// Reads the source into a buffer whose bytes from Data() on are not taken by the inflater yet.
class Input {
  public:
    explicit Input(std::FILE* source) : source_(source), bytes_(kInputChunk) {}

    const unsigned char* Data() const { return bytes_.data() + begin_; }
    std::size_t Size() const { return end_ - begin_; }
    // The inflater took all but `left` bytes.
    void KeepLast(std::size_t left) { begin_ = end_ - left; }

    // 1 more bytes came, 0 the source has ended, -1 read error.
    int Fill() {
        if (ended_) {
            return 0;
        }
        if (begin_ > 0) {
            std::memmove(bytes_.data(), bytes_.data() + begin_, Size());
            end_ -= begin_;
            begin_ = 0;
        }
        const std::size_t got = std::fread(bytes_.data() + end_, 1, bytes_.size() - end_, source_);
        end_ += got;
        if (got > 0) {
            return 1;
        }
        if (std::ferror(source_) != 0) {
            return -1;
        }
        ended_ = true;
        return 0;
    }

    // Whether the next bytes begin a gzip member: -1 read error, 0 no, 1 yes.
    int AtMember() {
        while (Size() < 2) {
            const int filled = Fill();
            if (filled < 0) {
                return -1;
            }
            if (filled == 0) {
                return 0;
            }
        }
        return Data()[0] == 0x1F && Data()[1] == 0x8B ? 1 : 0;
    }

    bool Ended() const { return ended_; }

  private:
    std::FILE* source_;
    std::vector<unsigned char> bytes_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

}  // namespace

namespace detail {

int InflateMembers(std::FILE* source, Inflate* inflater, const InflatedSink& sink,
                   std::uint64_t limit, int& error) {
    if (inflater == nullptr) {
        return -9;
    }
    Input input(source);
    std::vector<unsigned char> chunk(kOutputChunk);
    std::uint64_t total = 0;
    int result = 0;
    for (bool first = true; result == 0; first = false) {
        const int member = input.AtMember();
        if (member < 0) {
            error = errno;
            result = -3;
            break;
        }
        if (member == 0) {
            // Not gzip at all, or an empty source: no log comes that way.
            if (first) {
                result = -5;
            }
            break;
        }
        if (!first) {
            inflater->Reset();
        }
        inflater->SetInput(input.Data(), input.Size());
        for (;;) {
            if (inflater->InputLeft() == 0) {
                input.KeepLast(0);
                if (input.Fill() < 0) {
                    error = errno;
                    result = -3;
                    break;
                }
                inflater->SetInput(input.Data(), input.Size());
            }
            std::size_t produced = 0;
            const Inflate::Status status = inflater->Run(chunk.data(), chunk.size(), produced);
            input.KeepLast(inflater->InputLeft());
            total += produced;
            if (total > limit) {
                result = kLogInflatesTooLarge;
                break;
            }
            if (produced > 0) {
                result = sink(chunk.data(), produced, error);
                if (result != 0) {
                    break;
                }
            }
            if (status == Inflate::Status::kMemberEnd) {
                break;
            }
            // No progress without more input, and none will come: the stream was cut short.
            const bool stuck = status == Inflate::Status::kNeedInput &&
                               inflater->InputLeft() == 0 && input.Ended();
            if (stuck || status == Inflate::Status::kError) {
                result = -5;
                break;
            }
        }
    }
    // A stream that inflates to nothing holds no container either.
    if (result == 0 && total == 0) {
        result = -5;
    }
    return result;
}

}  // namespace detail

namespace {

// The unnamed temporary file a log inflates into; nullptr with the cause in `error` (when
// given) when it cannot be made.
std::FILE* CreateInflatedCopy(int* error) {
    if (error != nullptr) {
        *error = 0;
    }
    errno = 0;
    std::FILE* out = CreateUnnamedTemporary(TemporaryFolder());
    if (out == nullptr && error != nullptr) {
        *error = errno;
    }
    return out;
}

}  // namespace

int DecompressContainer(std::FILE* source, std::FILE*& inflated, int* error, std::uint64_t limit) {
    inflated = nullptr;
    int failure = 0;
    std::FILE* out = CreateInflatedCopy(error);
    if (out == nullptr) {
        return -2;
    }
    const auto write = [out](const unsigned char* bytes, std::size_t size, int& cause) {
        if (std::fwrite(bytes, 1, size, out) != size) {
            cause = errno;
            return -6;
        }
        return 0;
    };
    const std::unique_ptr<Inflate> inflater = Inflate::Create();
    int result = detail::InflateMembers(source, inflater.get(), write, limit, failure);
    if (result == 0 && (std::fflush(out) != 0 || std::ferror(out) != 0)) {
        failure = errno;
        result = -6;
    }
    if (result == 0 && !SeekStream(out, 0, SEEK_SET)) {
        failure = errno;
        result = -6;
    }
    if (error != nullptr) {
        *error = failure;
    }
    if (result != 0) {
        std::fclose(out);
        return result;
    }
    inflated = out;
    return 0;
}

std::string_view InflaterName() {
    return Inflate::DefaultName();
}

int InflateJob::Wait(int* error) const {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return ended_; });
    if (error != nullptr) {
        *error = error_;
    }
    return result_;
}

std::uint64_t InflateJob::Inflated() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return written_;
}

struct InflateJobAccess {
    static void Written(InflateJob& job, std::uint64_t bytes) {
        {
            const std::lock_guard<std::mutex> guard(job.lock_);
            job.written_ += bytes;
        }
        job.changed_.notify_all();
    }
    static void End(InflateJob& job, int result, int error) {
        {
            const std::lock_guard<std::mutex> guard(job.lock_);
            job.ended_ = true;
            job.result_ = result;
            job.error_ = error;
        }
        job.changed_.notify_all();
    }
    static bool Stopped(const InflateJob& job) { return job.stop_.load(); }
    static void Stop(InflateJob& job) { job.stop_.store(true); }
    // Waits until `end` bytes are inflated or the inflate has ended; the bytes there are then.
    static std::uint64_t WaitFor(const InflateJob& job, std::uint64_t end, bool& failed) {
        std::unique_lock<std::mutex> guard(job.lock_);
        job.changed_.wait(guard, [&] { return job.ended_ || job.written_ >= end; });
        failed = job.ended_ && job.result_ != 0;
        return job.written_;
    }
    static bool Ended(const InflateJob& job, std::uint64_t& size, bool& failed) {
        std::unique_lock<std::mutex> guard(job.lock_);
        job.changed_.wait(guard, [&] { return job.ended_; });
        size = job.written_;
        failed = job.result_ != 0;
        return true;
    }
};

namespace {

#ifdef __GLIBC__
// The inflating thread: writes the copy and tells the job how far it got and how it ended.
void InflateInto(std::FILE* source, std::FILE* out, const std::shared_ptr<Inflate>& inflater,
                 std::uint64_t limit, InflateJob& job) {
    int failure = 0;
    const auto write = [out, &job](const unsigned char* bytes, std::size_t size, int& cause) {
        if (InflateJobAccess::Stopped(job)) {
            return -6;  // the reader closed the copy: nobody asks for the rest
        }
        // Flushed at once: the reader reads the file, not this stream's buffer.
        if (std::fwrite(bytes, 1, size, out) != size || std::fflush(out) != 0) {
            cause = errno;
            return -6;
        }
        InflateJobAccess::Written(job, size);
        return 0;
    };
    int result = detail::InflateMembers(source, inflater.get(), write, limit, failure);
    if (result == 0 && std::ferror(out) != 0) {
        failure = errno;
        result = -6;
    }
    InflateJobAccess::End(job, result, result == 0 ? 0 : failure);
}

// The inflating thread; not joinable when no thread could be had. The environment (which
// inflater) is read here, on the caller's thread.
std::thread StartInflating(std::FILE* source, std::FILE* out, std::uint64_t limit,
                           InflateJob& job) {
    std::shared_ptr<Inflate> inflater = Inflate::Create();
    return StartWorkerThread([source, out, inflater, limit, &job] {
        InflateInto(source, out, inflater, limit, job);
    });
}

struct GrowingCopy {
    std::shared_ptr<InflateJob> job;
    std::FILE* source = nullptr;
    std::FILE* out = nullptr;
    int descriptor = -1;  // of `out`, read without its stream, which the worker writes through
    std::thread worker;
    std::uint64_t position = 0;
};

ssize_t ReadGrowing(void* cookie, char* buffer, std::size_t size) {
    auto& copy = *static_cast<GrowingCopy*>(cookie);
    bool failed = false;
    const std::uint64_t available =
        InflateJobAccess::WaitFor(*copy.job, copy.position + size, failed);
    if (copy.position >= available) {
        if (failed) {
            errno = EIO;
            return -1;
        }
        return 0;
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, available - copy.position));
    std::size_t got = 0;
    while (got < want) {
        const ssize_t read = ::pread(copy.descriptor, buffer + got, want - got,
                                     static_cast<off_t>(copy.position + got));
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read <= 0) {
            if (read == 0) {
                errno = EIO;
            }
            return got > 0 ? static_cast<ssize_t>(got) : -1;
        }
        got += static_cast<std::size_t>(read);
    }
    copy.position += got;
    return static_cast<ssize_t>(got);
}

int SeekGrowing(void* cookie, off64_t* offset, int whence) {
    auto& copy = *static_cast<GrowingCopy*>(cookie);
    std::int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<std::int64_t>(copy.position);
    } else if (whence == SEEK_END) {
        std::uint64_t size = 0;
        bool failed = false;
        InflateJobAccess::Ended(*copy.job, size, failed);
        if (failed) {
            errno = EIO;
            return -1;
        }
        base = static_cast<std::int64_t>(size);
    } else if (whence != SEEK_SET) {
        errno = EINVAL;
        return -1;
    }
    const std::int64_t target = base + *offset;
    if (target < 0) {
        errno = EINVAL;
        return -1;
    }
    copy.position = static_cast<std::uint64_t>(target);
    *offset = target;
    return 0;
}

int CloseGrowing(void* cookie) {
    auto* copy = static_cast<GrowingCopy*>(cookie);
    InflateJobAccess::Stop(*copy->job);
    if (copy->worker.joinable()) {
        copy->worker.join();
    }
    std::fclose(copy->out);
    std::fclose(copy->source);
    delete copy;
    return 0;
}
#endif

}  // namespace

namespace {

// The inflate done at once, for a reader that reads the copy when it is complete.
int InflateAtOnce(std::FILE* source, std::FILE*& inflated, std::shared_ptr<const InflateJob>& job,
                  int* error, std::uint64_t limit) {
    const int result = DecompressContainer(source, inflated, error, limit);
    if (result == 0) {
        std::fclose(source);
        auto done = std::make_shared<InflateJob>();
        InflateJobAccess::Written(*done, StreamFileSize(inflated).value_or(0));
        InflateJobAccess::End(*done, 0, 0);
        job = std::move(done);
    }
    return result;
}

}  // namespace

int DecompressContainerWhileReading(std::FILE* source, std::FILE*& inflated,
                                    std::shared_ptr<const InflateJob>& job, int* error,
                                    std::uint64_t limit) {
    inflated = nullptr;
    job.reset();
#ifdef __GLIBC__
    std::FILE* out = CreateInflatedCopy(error);
    if (out == nullptr) {
        return -2;
    }
    auto* copy = new GrowingCopy{std::make_shared<InflateJob>(), source, out, ::fileno(out), {}, 0};
    std::FILE* stream = ::fopencookie(
        copy, "rb", cookie_io_functions_t{ReadGrowing, nullptr, SeekGrowing, CloseGrowing});
    if (stream == nullptr) {
        std::fclose(out);
        delete copy;
        return InflateAtOnce(source, inflated, job, error, limit);
    }
    copy->worker = StartInflating(source, out, limit, *copy->job);
    if (!copy->worker.joinable()) {
        // No thread to be had: inflate here, and the copy reads what it inflated.
        InflateInto(source, out, Inflate::Create(), limit, *copy->job);
    }
    job = copy->job;
    inflated = stream;
    return 0;
#else
    return InflateAtOnce(source, inflated, job, error, limit);
#endif
}

InflatingCopy::~InflatingCopy() {
    if (job_) {
        InflateJobAccess::Stop(*job_);
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    reader_.Close();
    if (out_ != nullptr) {
        std::fclose(out_);
    }
    if (source_ != nullptr) {
        std::fclose(source_);
    }
}

int InflatingCopy::Start(std::FILE* source, int* error, std::uint64_t limit) {
    source_ = source;
    job_ = std::make_shared<InflateJob>();
#ifdef __GLIBC__
    out_ = CreateInflatedCopy(error);
    if (out_ == nullptr) {
        InflateJobAccess::End(*job_, -2, error != nullptr ? *error : 0);
        return -2;
    }
    if (reader_.Open(out_)) {
        worker_ = StartInflating(source_, out_, limit, *job_);
        if (worker_.joinable()) {
            return 0;
        }
        reader_.Close();
    }
    std::fclose(out_);
    out_ = nullptr;
#endif
    return InflateNow(error, limit);
}

int InflatingCopy::InflateNow(int* error, std::uint64_t limit) {
    int cause = 0;
    const int result = DecompressContainer(source_, out_, &cause, limit);
    if (error != nullptr) {
        *error = cause;
    }
    if (result != 0) {
        InflateJobAccess::End(*job_, result, cause);
        return result;
    }
    InflateJobAccess::Written(*job_, StreamFileSize(out_).value_or(0));
    InflateJobAccess::End(*job_, 0, 0);
    // What a list of records answers when the system gives no second handle on its file.
    return reader_.Open(out_) ? 0 : -1;
}

std::int64_t InflatingCopy::ReadAt(void* buffer, std::size_t size, std::uint64_t offset) const {
    if (!job_ || !reader_.IsOpen()) {
        return -1;
    }
    bool failed = false;
    const std::uint64_t available = InflateJobAccess::WaitFor(*job_, offset + size, failed);
    if (offset >= available) {
        return failed ? -1 : 0;
    }
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size, available - offset));
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    while (got < want) {
        const std::int64_t read = reader_.ReadAt(bytes + got, want - got, offset + got);
        if (read <= 0) {
            return got > 0 ? static_cast<std::int64_t>(got) : -1;
        }
        got += static_cast<std::size_t>(read);
    }
    return static_cast<std::int64_t>(got);
}

int InflatingCopy::Wait(int* error) const {
    if (!job_) {
        if (error != nullptr) {
            *error = 0;
        }
        return -2;  // never started: there is no copy
    }
    return job_->Wait(error);
}

}  // namespace qx7

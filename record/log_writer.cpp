#include "record/log_writer.h"

#include <algorithm>

namespace kv {

namespace {
// How long one wait for the reader lasts before the writer looks whether it should stop.
constexpr int kWaitStepMs = 100;

std::size_t linesIn(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}
} // namespace

LogWriter::LogWriter(std::unique_ptr<CsvFile> file, std::size_t capacityBytes)
    : file_(std::move(file)), capacity_(capacityBytes) {
    if (!file_->regular())
        thread_ = std::thread([this] { run(); });
}

LogWriter::~LogWriter() {
    close();
}

bool LogWriter::write(std::string_view lines) {
    if (file_ && file_->regular()) {
        const bool written = file_->write(lines);
        const std::lock_guard<std::mutex> lock(mutex_);
        renewed_ = file_->renewed();
        if (written)
            return true;
        failed_ = true;
        error_ = file_->error();
        return false;
    }
    const auto now = Clock::now();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (failed_ || closing_ || bytes_ + lines.size() > capacity_) {
            if (!failed_)
                dropped_ += std::max<std::size_t>(1, linesIn(lines));
            return false;
        }
        queue_.append(lines);
        bytes_ += lines.size();
        // One entry per line, so that what is written is taken off line by line.
        std::size_t start = 0;
        while (start < lines.size()) {
            const std::size_t end = lines.find('\n', start);
            const std::size_t next = end == std::string_view::npos ? lines.size() : end + 1;
            waiting_.push_back({now, next - start});
            start = next;
        }
    }
    wake_.notify_one();
    return true;
}

void LogWriter::close() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
    file_.reset();
}

LogWriter::Backlog LogWriter::backlog() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    Backlog b;
    b.lines = waiting_.size();
    b.dropped = dropped_;
    b.renewed = renewed_;
    if (!waiting_.empty())
        b.behind = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                         waiting_.front().since);
    return b;
}

bool LogWriter::failed() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

std::string LogWriter::error() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

void LogWriter::run() {
    std::string batch;
    std::size_t offset = 0;
    auto stalledSince = Clock::now();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (offset == batch.size()) {
                wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
                if (queue_.empty())
                    break; // closing, and everything is written
                batch.clear();
                batch.swap(queue_);
                offset = 0;
                stalledSince = Clock::now();
            }
        }
        const std::size_t written =
            file_->writeSome(std::string_view(batch).substr(offset), kWaitStepMs);
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!file_->ok()) {
            failed_ = true;
            error_ = file_->error();
            queue_.clear();
            waiting_.clear();
            bytes_ = 0;
            return;
        }
        if (written == 0) {
            if (closing_ && Clock::now() - stalledSince >= kCloseGrace) {
                // The reader has stopped: what waits cannot be written.
                dropped_ += waiting_.size();
                waiting_.clear();
                queue_.clear();
                bytes_ = 0;
                break;
            }
            continue;
        }
        stalledSince = Clock::now();
        offset += written;
        bytes_ -= written;
        // Chunks end with lines, so the lines written come off whole.
        for (std::size_t left = written; left > 0 && !waiting_.empty();) {
            const std::size_t take = std::min(left, waiting_.front().bytes);
            waiting_.front().bytes -= take;
            left -= take;
            if (waiting_.front().bytes == 0)
                waiting_.pop_front();
        }
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    file_.reset();
}

} // namespace kv

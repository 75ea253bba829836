#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "CaptureConnection.hpp"

namespace spanlet::x11 {

/// The capture thread: runs jobs one after another, in order, on its own X connection.
class CaptureWorker {
public:
    using Job = std::function<void(CaptureConnection&)>;

    /// Opens the connection on the calling thread (so the redirection is in place when the
    /// constructor returns), then starts the thread.
    CaptureWorker();
    /// Finishes the job in progress, drops the rest and joins the thread.
    ~CaptureWorker();
    CaptureWorker(const CaptureWorker&) = delete;
    CaptureWorker& operator=(const CaptureWorker&) = delete;

    [[nodiscard]] const std::string& problem() const noexcept { return connection_.problem(); }
    void post(Job job);

private:
    void run();

    CaptureConnection connection_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace spanlet::x11

// SPDX-License-Identifier: MIT
#include "workbook/LibraryCall.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <mutex>
#include <pthread.h>

namespace velmora {

namespace {

struct Call {
    const std::function<void()>* call = nullptr;
    std::exception_ptr failure;
};

void* RunCall(void* argument)
{
    Call& call = *static_cast<Call*>(argument);
    try {
        (*call.call)();
    } catch (...) {
        call.failure = std::current_exception();
    }
    return nullptr;
}

ssize_t Dropped(void*, const char*, std::size_t size)
{
    return static_cast<ssize_t>(size);
}

// Points `stderr` at a stream that drops everything while it lives. The GNU C library keeps
// `stderr` in a variable that may be set; our own messages go through std::cerr, whose stream
// keeps the descriptor it was made with.
class StderrDropped {
public:
    StderrDropped()
    {
        cookie_io_functions_t functions{};
        functions.write = Dropped;
        dropping_ = fopencookie(nullptr, "w", functions);
        if (dropping_) {
            saved_ = stderr;
            stderr = dropping_;
        }
    }
    ~StderrDropped()
    {
        if (!dropping_)
            return;
        stderr = saved_;
        std::fclose(dropping_);
    }
    StderrDropped(const StderrDropped&) = delete;
    StderrDropped& operator=(const StderrDropped&) = delete;

    bool dropping() const { return dropping_ != nullptr; }

private:
    FILE* dropping_ = nullptr;
    FILE* saved_ = nullptr;
};

}  // namespace

bool CallLibrary(const std::function<void()>& call, int& code)
{
    static std::mutex oneAtATime;
    const std::lock_guard<std::mutex> lock(oneAtATime);
    const StderrDropped quiet;
    if (!quiet.dropping()) {
        code = ENOMEM;
        return false;
    }
    pthread_attr_t attributes;
    if ((code = pthread_attr_init(&attributes)) != 0)
        return false;
    Call running{&call, nullptr};
    pthread_t thread{};
    code = pthread_attr_setstacksize(&attributes, kLibraryStackBytes);
    if (code == 0)
        code = pthread_create(&thread, &attributes, RunCall, &running);
    pthread_attr_destroy(&attributes);
    if (code != 0)
        return false;
    pthread_join(thread, nullptr);
    if (running.failure)
        std::rethrow_exception(running.failure);
    return true;
}

}  // namespace velmora

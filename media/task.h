// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <coroutine>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace zelko::media {

// A procedure that may wait on the engine, written as a coroutine that co_awaits each command in
// turn. It is lazy: nothing of it runs until it is awaited or started. When it ends it goes
// straight on into whoever awaits it (symmetric transfer), so a chain of tasks whose commands are
// all answered inside send() runs to its end without suspending once, within the call that
// started it. Destroying a task destroys its frame and, with it, the task it is waiting on, down
// to the command whose answer it waits for, which is then abandoned (see mci_calls.h).
template <class T = void> class [[nodiscard]] Task;

namespace task_detail {

// What every task's promise holds: who to go on with when it ends.
struct PromiseBase {
    std::coroutine_handle<> continuation;  // the awaiting task's, or none for a started one
    void (*ended)(void*) = nullptr;        // a started task's "it has ended", with its context
    void* endedContext = nullptr;

    struct FinalAwaiter {
        bool await_ready() const noexcept { return false; }
        template <class Promise> std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> self) noexcept
        {
            PromiseBase& promise = self.promise();
            if (promise.continuation) {
                return promise.continuation;
            }
            // The owner may destroy this frame from here on: nothing of it is read afterwards.
            if (void (*const ended)(void*) = promise.ended) {
                ended(promise.endedContext);
            }
            return std::noop_coroutine();
        }
        void await_resume() const noexcept {}
    };

    std::suspend_always initial_suspend() const noexcept { return {}; }
    FinalAwaiter final_suspend() const noexcept { return {}; }
    // Nothing the procedures call throws but allocation, which ends the program anyway.
    void unhandled_exception() const noexcept { std::terminate(); }
};

template <class T> struct Promise : PromiseBase {
    std::optional<T> value;
    Task<T> get_return_object() noexcept;
    void return_value(T result) { value.emplace(std::move(result)); }
};

template <> struct Promise<void> : PromiseBase {
    Task<void> get_return_object() noexcept;
    void return_void() const noexcept {}
};

}  // namespace task_detail

template <class T> class [[nodiscard]] Task {
public:
    using promise_type = task_detail::Promise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    Task(Task&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task& operator=(Task&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    // Awaited from another task: this one runs now, and the awaiting one goes on when it ends.
    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept
    {
        m_handle.promise().continuation = awaiting;
        return m_handle;
    }
    T await_resume()
    {
        if constexpr (!std::is_void_v<T>) {
            return std::move(*m_handle.promise().value);
        }
    }

    // Runs a task that nothing awaits, as far as it goes before it waits; `ended(context)` is
    // called when it ends, also when that is before start() returns. The frame is then still
    // there (done() is true) until the task is destroyed or reset.
    void start(void (*ended)(void*), void* context)
    {
        m_handle.promise().ended = ended;
        m_handle.promise().endedContext = context;
        m_handle.resume();
    }
    bool valid() const noexcept { return static_cast<bool>(m_handle); }
    bool done() const noexcept { return m_handle && m_handle.done(); }
    // Destroys the frame wherever it stands, and every task it waits on.
    void reset() noexcept
    {
        if (m_handle) {
            std::exchange(m_handle, {}).destroy();
        }
    }

private:
    friend promise_type;
    explicit Task(Handle handle) noexcept : m_handle(handle) {}

    Handle m_handle;
};

namespace task_detail {

template <class T> Task<T> Promise<T>::get_return_object() noexcept
{
    return Task<T>(Task<T>::Handle::from_promise(*this));
}

inline Task<void> Promise<void>::get_return_object() noexcept
{
    return Task<void>(Task<void>::Handle::from_promise(*this));
}

}  // namespace task_detail

}  // namespace zelko::media

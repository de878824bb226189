// One object per thread, made on first use and ended when the thread ends.
//
// The objects are owned by a process-wide table keyed by thread id, not by
// thread_local objects: with emulated TLS (mingw-w64's GCC) a thread_local's
// storage is freed before its destructor runs at thread exit, so such a
// destructor would work on freed memory. Only a plain pointer and an empty
// exit hook are thread_local; the hook finds the thread's object by its id
// and reads no thread-local storage.
#pragma once

#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace qv {

template <class T>
void DeleteThreadObject(T *object)
{
    delete object;
}

// `End` receives the ending thread's object, outside the table's lock.
template <class T, void (*End)(T *) = DeleteThreadObject<T>>
class ThreadOwned {
public:
    static T &mine()
    {
        thread_local T *object = nullptr;
        if (!object) {
            thread_local ExitHook hook;  /* its destructor runs at thread exit */
            (void)hook;
            auto made = std::make_unique<T>();
            std::lock_guard<std::mutex> lock(mutex());
            table()[std::this_thread::get_id()] = made.get();
            object = made.release();
        }
        return *object;
    }

private:
    struct ExitHook {
        ~ExitHook()
        {
            T *object = nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex());
                auto it = table().find(std::this_thread::get_id());
                if (it == table().end())
                    return;
                object = it->second;
                table().erase(it);
            }
            End(object);
        }
    };

    static std::mutex &mutex()
    {
        static std::mutex *lock = new std::mutex;  /* outlives thread-exit hooks */
        return *lock;
    }

    static std::unordered_map<std::thread::id, T *> &table()
    {
        static auto *objects = new std::unordered_map<std::thread::id, T *>;
        return *objects;
    }
};

} // namespace qv

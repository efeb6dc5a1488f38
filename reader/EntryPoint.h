#pragma once
// One entry point of the reader library, called so that it works whichever calling convention
// the library was built with. Every entry point takes at most one 32-bit argument and returns
// one 32-bit value; on 32-bit x86 the call goes through a thunk that restores the stack pointer
// afterwards, so a __stdcall callee (which pops its argument) and a __cdecl one (which leaves
// it to the caller) both leave the stack as it was. Other targets have one convention only.
#include <cstdint>
#include <type_traits>

namespace reader_binding {

#if defined(__i386__) || defined(_M_IX86)
inline constexpr bool kCallsKeepStack = true;
// Calls `entry` with one argument word (a function without arguments ignores it) and restores
// the stack pointer afterwards; the result is the callee's EAX.
extern "C" std::uint32_t konvika_call_keeping_stack(const void* entry, std::uint32_t argument)
    __asm__("konvika_call_keeping_stack");
#else
inline constexpr bool kCallsKeepStack = false;
#endif

template <typename Function>
class EntryPoint;

template <typename Result, typename... Args>
class EntryPoint<Result (*)(Args...)> {
    static_assert(sizeof...(Args) <= 1, "reader entry points take at most one argument");

public:
    void set(void* address) { address_ = address; }
    const void* address() const { return address_; }
    explicit operator bool() const { return address_ != nullptr; }

    Result operator()(Args... args) const {
#if defined(__i386__) || defined(_M_IX86)
        std::uint32_t word = 0;
        ((word = toWord(args)), ...);
        return fromWord(konvika_call_keeping_stack(address_, word));
#else
        return reinterpret_cast<Result (*)(Args...)>(address_)(args...);
#endif
    }

private:
    template <typename T>
    static std::uint32_t toWord(T value) {
        static_assert(sizeof(T) == 4, "reader entry points take 32-bit arguments");
        if constexpr (std::is_pointer_v<T>) {
            return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(value));
        } else {
            return static_cast<std::uint32_t>(value);
        }
    }
    static Result fromWord(std::uint32_t word) {
        static_assert(sizeof(Result) == 4, "reader entry points return 32-bit values");
        if constexpr (std::is_pointer_v<Result>) {
            return reinterpret_cast<Result>(static_cast<std::uintptr_t>(word));
        } else {
            return static_cast<Result>(word);
        }
    }

    void* address_ = nullptr;
};

}  // namespace reader_binding

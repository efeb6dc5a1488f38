// The 32-bit call thunk of the reader binding against callees of both conventions, built as a
// 32-bit x86 program. Machines that cannot run 32-bit programs themselves run it under
// user-mode emulation. A plain program (no test framework for 32 bits here): it prints one line
// per case and the closing count, and fails when any case fails.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "reader/EntryPoint.h"

#if !defined(__i386__)
#error "this test is built for 32-bit x86 only"
#endif

namespace {

int g_calls = 0;
const char* g_lastText = nullptr;

extern "C" __attribute__((cdecl)) int cdeclNone() { return ++g_calls; }
extern "C" __attribute__((cdecl)) int cdeclOne(int value) { return value * 3; }
extern "C" __attribute__((stdcall)) int stdcallNone() { return ++g_calls + 1000; }
extern "C" __attribute__((stdcall)) int stdcallOne(int value) { return value * 5; }
extern "C" __attribute__((stdcall)) const char* stdcallText(const char* text) {
    g_lastText = text;
    return text + 1;
}
extern "C" __attribute__((cdecl)) const char* cdeclText(const char* text) {
    g_lastText = text;
    return text + 2;
}

std::uintptr_t stackPointer() {
    std::uintptr_t esp;
    __asm__ volatile("movl %%esp, %0" : "=r"(esp));
    return esp;
}

template <typename Function>
reader_binding::EntryPoint<Function> entryPoint(Function function) {
    reader_binding::EntryPoint<Function> entry;
    entry.set(reinterpret_cast<void*>(function));
    return entry;
}

int g_passed = 0;
int g_failed = 0;

void check(bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "passed" : "FAILED", what);
    ok ? ++g_passed : ++g_failed;
}

// Many calls in a row: a thunk that left a word on the stack or took one too many would move
// the stack pointer by 400 kB, which the comparison (and the stack itself) would show.
template <typename Call>
bool keepsStack(Call call) {
    const std::uintptr_t before = stackPointer();
    for (int i = 0; i < 100000; ++i) call(i);
    return stackPointer() == before;
}

}  // namespace

int main() {
    using None = int (*)();
    using One = int (*)(int);
    using Text = const char* (*)(const char*);
    // The binding sees every entry point as a plain function pointer of the library's type;
    // the address may belong to either convention.
    const auto cNone = entryPoint(reinterpret_cast<None>(&cdeclNone));
    const auto cOne = entryPoint(reinterpret_cast<One>(&cdeclOne));
    const auto sNone = entryPoint(reinterpret_cast<None>(&stdcallNone));
    const auto sOne = entryPoint(reinterpret_cast<One>(&stdcallOne));
    const auto sText = entryPoint(reinterpret_cast<Text>(&stdcallText));
    const auto cText = entryPoint(reinterpret_cast<Text>(&cdeclText));

    g_calls = 0;
    check(cNone() == 1 && cNone() == 2, "cdecl without argument returns the callee's value");
    check(cOne(14) == 42 && cOne(-7) == -21, "cdecl with one argument passes and returns it");
    check(sNone() == 1003, "stdcall without argument returns the callee's value");
    check(sOne(9) == 45 && sOne(-3) == -15, "stdcall with one argument passes and returns it");
    const char* text = "gvread";
    check(sText(text) == text + 1 && g_lastText == text, "stdcall passes and returns pointers");
    check(cText(text) == text + 2 && g_lastText == text, "cdecl passes and returns pointers");

    volatile int sum = 0;
    check(keepsStack([&](int i) { sum = sum + cOne(i); }), "cdecl calls leave the stack as it was");
    check(keepsStack([&](int i) { sum = sum + sOne(i); }), "stdcall calls, which pop their argument, leave the stack as it was");
    check(keepsStack([&](int) { sum = sum + sNone(); }), "stdcall calls without argument leave the stack as it was");
    check(keepsStack([&](int i) { sum = sum + (i % 2 ? sOne(i) : cOne(i)); }),
          "calls of both conventions in turn leave the stack as it was");

    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 ? 0 : 1;
}

// The thunk behind reader_binding::EntryPoint on 32-bit x86: it keeps the stack pointer in
// EBP across the call, so it does not matter whether the callee pops its argument (__stdcall)
// or leaves it (__cdecl). EBX, ESI, EDI and EBP are kept by callees of both conventions.
#include "reader/EntryPoint.h"

#if defined(__i386__)
__asm__(
    ".text\n"
    ".globl konvika_call_keeping_stack\n"
    "konvika_call_keeping_stack:\n"
    "    pushl %ebp\n"
    "    movl %esp, %ebp\n"
    "    pushl 12(%ebp)\n"  // the argument word
    "    call *8(%ebp)\n"   // the entry point
    "    movl %ebp, %esp\n" // whatever the callee did with its argument
    "    popl %ebp\n"
    "    ret\n");
#endif

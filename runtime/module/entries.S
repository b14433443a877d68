/* The runtime module's three entries (i386, cdecl).
 *
 * theQuickTimeDispatcher: EAX holds the selector. It finds the routine and
 *   jumps to it, so the routine sees the caller's return address and
 *   arguments as the caller pushed them and returns straight to the caller
 *   (in EAX, EDX:EAX or ST0).
 * _CallComponentFunctionWithStorage(storage, params, routine): calls
 *   routine(storage, p1, p2, ...) with the parameter words of the record in
 *   order and answers its result.
 * _CallComponent(instance, params): the component call, selector 0x10000.
 *
 * The ELF symbols have default visibility; the module's export list decides
 * what leaves it. On Windows the C names carry the leading underscore. */

#ifdef _WIN32
#define SYM(name) _##name
#define FUNCTION(name) .globl SYM(name); .def SYM(name); .scl 2; .type 32; .endef; SYM(name):
#define IMPORT(name)
#else
#define SYM(name) name
#define FUNCTION(name) .globl name; .type name, @function; name:
#define IMPORT(name) .hidden name
#endif

#define COMPONENT_CALL_SELECTOR 0x00010000

    IMPORT(qtrt_find_routine)

    .text

    .p2align 4
FUNCTION(theQuickTimeDispatcher)
qtrt_dispatch:
    subl $8, %esp
    pushl %eax
    call SYM(qtrt_find_routine)
    addl $12, %esp
    jmp *%eax

    .p2align 4
FUNCTION(_CallComponent)
    movl $COMPONENT_CALL_SELECTOR, %eax
    jmp qtrt_dispatch

/* Frame: 8(%ebp) storage, 12(%ebp) params, 16(%ebp) routine. The words are
 * copied below the storage argument on a 16-byte aligned stack. */
    .p2align 4
FUNCTION(_CallComponentFunctionWithStorage)
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    xorl %ecx, %ecx
    testl %esi, %esi
    jz 1f
    movzbl 1(%esi), %ecx
    addl $3, %ecx
    shrl $2, %ecx
1:  leal 4(,%ecx,4), %eax
    subl %eax, %esp
    andl $-16, %esp
    movl 8(%ebp), %eax
    movl %eax, (%esp)
    leal 4(%esp), %edi
    testl %ecx, %ecx
    jz 2f
    addl $4, %esi
    cld
    rep movsl
2:  call *16(%ebp)
    leal -8(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebp
    ret

#ifndef _WIN32
    .section .note.GNU-stack, "", @progbits
#endif

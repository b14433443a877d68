/* The dispatcher entry the call-trace test puts in place of the runtime's:
 * it records the selector and the caller's arguments (call_trace_record,
 * which answers the runtime's own dispatcher), then jumps there with the
 * stack and EAX as the stub left them. i386 ELF, cdecl. */

    .text
    .globl call_trace_entry
    .hidden call_trace_entry
    .type call_trace_entry, @function
    .p2align 4
call_trace_entry:
    pushl %eax              /* the selector */
    leal 8(%esp), %ecx      /* the caller's first argument */
    pushl %ecx
    pushl %eax
    call call_trace_record
    movl %eax, %edx
    addl $8, %esp
    popl %eax
    jmp *%edx

    .section .note.GNU-stack,"",@progbits

/* The operation stubs of the QuickTime call surface (i386, cdecl), made from
 * the table in qt_operations.def.
 *
 * A direct stub calls the first-call hook while it is set, loads its selector
 * into EAX and jumps to the bound dispatcher: the caller's return address and
 * arguments stay where the caller pushed them, and the runtime's routine
 * returns straight to the caller. A gated stub first asks IsSelectorAvailable
 * and answers its fallback when the runtime is too old. The stubs use only
 * EAX, ECX and EDX, keep the stack 16-byte aligned at their own calls, and
 * build as ELF position-independent code (the state is reached through the
 * GOT base) and as PE (symbols carry a leading underscore). */

#include "qt_operations.def"

#ifdef _WIN32
#define SYM(name) _##name
#define FUNCTION(name) .globl SYM(name); .def SYM(name); .scl 2; .type 32; .endef; SYM(name):
#define LOCAL_FUNCTION(name) .def name; .scl 3; .type 32; .endef; name:
#define IMPORT(name)
#define LOAD_STATE_BASE
#define STATE(name) SYM(name)
#define STATE_ADDRESS(name, reg) movl $SYM(name), reg
#else
#define SYM(name) name
#define FUNCTION(name) .globl name; .hidden name; .type name, @function; name:
#define LOCAL_FUNCTION(name) .type name, @function; name:
#define IMPORT(name) .hidden name
/* ECX = the GOT address; the thunk answers the address of the addl. */
#define LOAD_STATE_BASE call qtb_pc_thunk_cx; addl $_GLOBAL_OFFSET_TABLE_, %ecx
#define STATE(name) name@GOTOFF(%ecx)
#define STATE_ADDRESS(name, reg) leal name@GOTOFF(%ecx), reg
#endif

/* Calls the first-call hook while it is set; clobbers ECX and EDX (and what
 * the hook clobbers). The stack must be 16-byte aligned here. */
#define CALL_FIRST_CALL_HOOK \
    LOAD_STATE_BASE; movl STATE(qtb_first_call_hook), %edx; testl %edx, %edx; jz 1f; call *%edx; 1:

#define FALLBACK_null_if_old 0
#define FALLBACK_empty_slot_if_old 1

#define STUB_direct_ungated(selector, name) \
    .p2align 2; FUNCTION(name) movl $selector, %eax; jmp qtb_direct_common;
#define STUB_direct_null_if_old(selector, name) \
    .p2align 2; FUNCTION(name) movl $selector, %eax; movl $FALLBACK_null_if_old, %edx; jmp qtb_gated_common;
#define STUB_direct_empty_slot_if_old(selector, name) \
    .p2align 2; FUNCTION(name) movl $selector, %eax; movl $FALLBACK_empty_slot_if_old, %edx; jmp qtb_gated_common;
#define STUB_forwarded_ungated(selector, name) STUB_direct_ungated(selector, qtb_forward_##name)
#define STUB_record_ungated(selector, name)

#define X(selector, name, form, result, gate, what, bytes) STUB_##form##_##gate(selector, name)

    IMPORT(qtb_first_call_hook)
    IMPORT(qtb_dispatcher_entry)
    IMPORT(qtb_call_with_storage_entry)
    IMPORT(qtb_empty_data_symbol_slot)
    IMPORT(IsSelectorAvailable)

    .text

#ifndef _WIN32
    .p2align 4
LOCAL_FUNCTION(qtb_pc_thunk_cx)
    movl (%esp), %ecx
    ret
#endif

/* EAX = selector. */
    .p2align 4
LOCAL_FUNCTION(qtb_direct_common)
    pushl %eax
    subl $8, %esp
    CALL_FIRST_CALL_HOOK
    addl $8, %esp
    popl %eax
    LOAD_STATE_BASE
    jmp *STATE(qtb_dispatcher_entry)

/* EAX = selector, EDX = the fallback (FALLBACK_...). */
    .p2align 4
LOCAL_FUNCTION(qtb_gated_common)
    pushl %edx
    pushl %eax
    subl $4, %esp
    CALL_FIRST_CALL_HOOK
    movl 4(%esp), %eax
    movl %eax, (%esp)
    call SYM(IsSelectorAvailable)
    addl $4, %esp
    testb %al, %al
    jz 2f
    popl %eax
    addl $4, %esp
    LOAD_STATE_BASE
    jmp *STATE(qtb_dispatcher_entry)
2:  addl $4, %esp
    popl %eax
    testl %eax, %eax
    jz 3f
    LOAD_STATE_BASE
    STATE_ADDRESS(qtb_empty_data_symbol_slot, %eax)
3:  ret

/* The component-function entry: (storage, params, routine) pass unchanged. */
    .p2align 4
FUNCTION(CallComponentFunctionWithStorage)
    subl $12, %esp
    CALL_FIRST_CALL_HOOK
    addl $12, %esp
    LOAD_STATE_BASE
    jmp *STATE(qtb_call_with_storage_entry)

QT_OPERATIONS(X)

#ifndef _WIN32
    .section .note.GNU-stack, "", @progbits
#endif

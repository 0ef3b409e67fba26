// clang calls this before a frame of more than a page, with the frame's size in 16-byte
// units in x15: touch each page of it, from the top down, so that the stack's guard page
// grows the stack in order. x16 and x17 are free for it to use; the caller moves sp.
// A leaf that leaves sp and lr alone needs no unwind entry: the unwinder returns to lr.
    .text
    .globl __chkstk
    .p2align 2
__chkstk:
    lsl x16, x15, #4
    mov x17, sp
1:
    sub x17, x17, #4096
    subs x16, x16, #4096
    ldr xzr, [x17]
    b.gt 1b
    ret

#!/bin/sh
# Checks that the AVX2 candidate loop keeps its 256-bit vectors in registers: MinGW's GCC
# does not align the stack to 32 bytes, so a vector spilled there or passed through memory
# may be moved with an instruction that needs that alignment, and crash one run in two.
# The loop only reads the data: its functions (those whose names hold Avx2) may store no
# 256-bit register anywhere, nor use an aligned move on one.
#
# Usage: check_avx2_registers.sh <program or object holding the loop, with symbols> <objdump>
set -u
program=$1
objdump=$2

listing=$("$objdump" -d -C --no-show-raw-insn "$program") || {
    echo "FAIL: $objdump cannot read $program"
    exit 1
}
loop=$(echo "$listing" | awk '/^[0-9a-f]+ <.*>:$/ { inside = /Avx2/ } inside')
if [ -z "$loop" ]; then
    echo "FAIL: no AVX2 loop in $program"
    exit 1
fi
echo "$loop" | grep -c ymm | sed 's/^/instructions on 256-bit registers: /'
bad=$(echo "$loop" | grep -E '%ymm[0-9]+,[^%]*\(|vmov(dqa|aps|apd)[^#]*\(.*ymm|vmov(dqa|aps|apd)[^#]*ymm.*\(')
if [ -n "$bad" ]; then
    echo "FAIL: the AVX2 loop moves vectors through memory:"
    echo "$bad" | head -20
    exit 1
fi
echo "PASS: the AVX2 loop keeps its vectors in registers"

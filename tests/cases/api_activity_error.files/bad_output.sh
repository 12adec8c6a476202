#!/bin/sh
echo "Amount=plenty" > "$PVXJSIM_OUT_CONTAINER"

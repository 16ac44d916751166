# Sourced by the scripts that start servers: wait_for TENTHS COMMAND... waits up to TENTHS tenths
# of a second for COMMAND to succeed (its output discarded) and returns whether it did.
wait_for() {
    local tenths="$1" i
    shift
    for (( i = 0; i < tenths; i++ )); do
        if "$@" > /dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

#!/usr/bin/env python3
"""Runs COMMAND with its descriptor 1 on a pipe whose reader falls behind: nothing is read for
SECONDS, then everything, into OUTPUT. With --non-blocking the pipe is handed over in
non-blocking mode, as some parents do. Exits with the command's status; with 125 when the
command changed the blocking mode of the pipe it was given, which its parent and any other
process sharing the pipe would then inherit."""
import os
import subprocess
import sys
import time

kUsage = 'usage: slow-reader.py [--non-blocking] SECONDS OUTPUT COMMAND...'
kNonBlocking = os.O_NONBLOCK


def descriptor_flags(pid, descriptor):
    with open(f'/proc/{pid}/fdinfo/{descriptor}') as info:
        for line in info:
            if line.startswith('flags:'):
                return int(line.split()[1], 8)
    return None


def main(args):
    non_blocking = args[:1] == ['--non-blocking']
    args = args[1:] if non_blocking else args
    if len(args) < 3:
        print(kUsage, file=sys.stderr)
        return 2
    seconds, output, command = float(args[0]), args[1], args[2:]

    reader, writer = os.pipe()
    os.set_blocking(writer, not non_blocking)
    child = subprocess.Popen(command, stdout=writer)
    os.close(writer)
    time.sleep(seconds)
    # By now the command has filled the pipe and waits for it, long past its start-up.
    try:
        flags = descriptor_flags(child.pid, 1)
    except OSError:
        flags = None  # it has ended already: its status and output tell
    changed = flags is not None and bool(flags & kNonBlocking) != non_blocking

    with open(output, 'wb') as sink:
        while chunk := os.read(reader, 1 << 16):
            sink.write(chunk)
    status = child.wait()
    if changed:
        mode = 'blocking' if non_blocking else 'non-blocking'
        print(f'slow-reader: the command made its descriptor 1 {mode}', file=sys.stderr)
        return 125
    return status if status >= 0 else 128 - status


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))

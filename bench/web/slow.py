#!/usr/bin/env python3
"""512 slow visitors from 127.0.0.1 (a request head that never ends, one header line every
5 s, reconnecting when closed) while a visitor from 127.0.0.2 fetches a page once every
100 ms; prints that visitor's median, p99 and worst time in milliseconds."""
import selectors, socket, sys, time

port, host, seconds = int(sys.argv[1]), sys.argv[2], float(sys.argv[3])
SLOW = 512
sel = selectors.DefaultSelector()
slow = []


def open_slow():
    s = socket.socket()
    s.setblocking(False)
    s.bind(("127.0.0.1", 0))
    try:
        s.connect(("127.0.0.1", port))
    except BlockingIOError:
        pass
    sel.register(s, selectors.EVENT_READ)
    return [s, time.monotonic(), False]


def fetch():
    t = time.monotonic()
    s = socket.create_connection(("127.0.0.1", port), timeout=5, source_address=("127.0.0.2", 0))
    s.sendall(b"GET / HTTP/1.1\r\nHost: " + host.encode() + b"\r\nConnection: close\r\n\r\n")
    data = b""
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        data += chunk
    s.close()
    ok = data.startswith(b"HTTP/1.1 200")
    return (time.monotonic() - t) * 1000, ok


for _ in range(SLOW):
    slow.append(open_slow())
time.sleep(1)
times, failures, reopened = [], 0, 0
end = time.monotonic() + seconds
next_probe = time.monotonic()
while time.monotonic() < end:
    now = time.monotonic()
    for entry in slow:
        s, last, started = entry
        if now - last >= 5 or not started:
            try:
                s.send(b"X-Slow: a\r\n" if started else b"GET / HTTP/1.1\r\n")
                entry[1], entry[2] = now, True
            except OSError:
                pass
    for key, _ in sel.select(timeout=0):
        s = key.fileobj
        try:
            gone = s.recv(4096) == b""
        except OSError:
            gone = True
        if gone:
            sel.unregister(s)
            s.close()
            i = next(i for i, e in enumerate(slow) if e[0] is s)
            slow[i] = open_slow()
            reopened += 1
    if now >= next_probe:
        try:
            ms, ok = fetch()
            times.append(ms)
            failures += 0 if ok else 1
        except OSError:
            failures += 1
        next_probe = now + 0.1
    time.sleep(0.005)
times.sort()
if times:
    p = lambda q: times[min(len(times) - 1, int(q * len(times)))]
    print(f"{len(times)} pages from 127.0.0.2: median {p(0.5):.1f} ms, p99 {p(0.99):.1f} ms, "
          f"worst {times[-1]:.1f} ms, failures {failures}; slow connections closed by the server {reopened}")
else:
    print(f"no page from 127.0.0.2; failures {failures}")

"""The service's open connections: how many, in which state, and who goes
when there are too many.

A connection waits (for its first request, or idle between two), receives
a request's head (which has a deadline from its first byte on), or is
served. Waiting and receiving ones are what a flood of strangers holds, so
a full table makes room by closing the one that has waited longest; one
being served is never closed for another. Requests without the
application's key are served in at most all but a reserved share of the
table, so the application finds room however many strangers are served.
"""

import select
import socket
import sys
import threading
import time

WAITING, RECEIVING, SERVING = "waiting", "receiving", "serving"


class Connection:
    __slots__ = ("sock", "state", "since", "deadline", "keyed", "evicted")

    def __init__(self, sock):
        self.sock, self.state, self.since = sock, WAITING, time.monotonic()
        self.deadline, self.keyed, self.evicted = None, False, False

    def cut(self):
        """Ends the connection under its thread: a read under way returns at once."""
        self.evicted = True
        try:
            self.sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


def _pending(sock):
    """Whether bytes wait to be read (or the peer has gone): a request under
    way, not an idle client. A select, as the socket has a time-out."""
    try:
        return bool(select.select([sock], [], [], 0)[0])
    except (OSError, ValueError):
        return False


class Connections:
    def __init__(self, limit, reserved, head_deadline):
        self.limit, self.reserved, self.head_deadline = limit, reserved, head_deadline
        self._table = {}
        self._lock = threading.Lock()
        threading.Thread(target=self._reap, daemon=True).start()

    def __len__(self):
        with self._lock:
            return sum(1 for c in self._table.values() if not c.evicted)

    def open(self, sock):
        """The new connection's entry, or None when the table is full of
        connections being served (the caller answers 503)."""
        with self._lock:
            live = [c for c in self._table.values() if not c.evicted]
            if len(live) >= self.limit:
                idle = [c for c in live if c.state != SERVING and not _pending(c.sock)]
                if not idle:
                    return None
                min(idle, key=lambda c: c.since).cut()
            entry = self._table[sock] = Connection(sock)
            return entry

    def get(self, sock):
        with self._lock:
            return self._table.get(sock)

    def close(self, sock):
        with self._lock:
            self._table.pop(sock, None)

    def waiting(self, entry):
        with self._lock:
            entry.state, entry.since, entry.deadline = WAITING, time.monotonic(), None

    def receiving(self, entry):
        with self._lock:
            entry.state, entry.since = RECEIVING, time.monotonic()
            entry.deadline = entry.since + self.head_deadline

    def serving(self, entry, keyed):
        """Whether the request may be served: one without the key only while
        the others without it leave the reserved share free."""
        with self._lock:
            entry.keyed = keyed
            if not keyed:
                strangers = sum(1 for c in self._table.values()
                                if c.state == SERVING and not c.keyed and not c.evicted)
                if strangers >= self.limit - self.reserved:
                    return False
            entry.state = SERVING
            return True

    def received(self, entry):
        """The request's body has come: its deadline no longer runs."""
        with self._lock:
            entry.deadline = None

    def _reap(self):
        while True:
            time.sleep(0.25)
            now = time.monotonic()
            with self._lock:
                late = [c for c in self._table.values()
                        if c.deadline is not None and c.deadline < now and not c.evicted]
                for entry in late:
                    entry.cut()
            for _ in late:
                sys.stderr.write("cut off a connection: no complete request within %d s\n"
                                 % self.head_deadline)

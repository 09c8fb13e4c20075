"""How the link's messages and block travel on Linux: a Unix-domain stream socket that the
program listens on, and POSIX shared memory under /dev/shm for the named block.

Pure Python with no import of Blender. The block is handled with os and mmap directly:
Python's multiprocessing shared memory registers blocks with a resource tracker that may
delete them, and importing it inside Blender has crashed Blender at exit.
"""

import errno
import mmap
import os
import select
import socket
import time

from . import wire

SHM_DIR = "/dev/shm"


class LinkError(RuntimeError):
    """A failure of the link; the text is meant for the user."""


class LinkClosed(LinkError):
    """The program closed its end of the connection."""


class BlockInUse(LinkError):
    """The block's name is taken by a hand-over under way."""


def socket_path(environ=None, uid=None):
    """Where the program listens: $XDG_RUNTIME_DIR/gessoria/link.sock, or without that
    variable /tmp/gessoria-link-<uid>/link.sock."""
    environ = os.environ if environ is None else environ
    runtime = environ.get("XDG_RUNTIME_DIR")
    if runtime:
        return os.path.join(runtime, "gessoria", "link.sock")
    return f"/tmp/gessoria-link-{os.getuid() if uid is None else uid}/link.sock"


class Connection:
    """The host's connection to the program: whole 24-byte messages out and in."""

    def __init__(self, sock):
        self._sock = sock
        self._sock.setblocking(False)
        self._pending = b""

    @classmethod
    def open(cls, path):
        """The connection, or None when no program listens there."""
        sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            sock.connect(path)
        except OSError as error:
            sock.close()
            if error.errno in (errno.ENOENT, errno.ECONNREFUSED, errno.ENOTDIR):
                return None
            raise LinkError(f"Cannot reach Gessoria at {path}: {error.strerror}") from error
        return cls(sock)

    def close(self):
        self._sock.close()

    def fileno(self):
        return self._sock.fileno()

    def send(self, kind, wparam, lparam):
        data = wire.pack_message(kind, wparam, lparam)
        try:
            self._sock.setblocking(True)
            self._sock.sendall(data)
        except OSError as error:
            raise LinkError(f"Gessoria closed the link ({error.strerror})") from error
        finally:
            self._sock.setblocking(False)

    def receive(self, timeout=0.0):
        """The next message as (kind, wParam, lParam), or None if none arrives within timeout
        seconds (0: only what has already arrived). Raises LinkError when the program
        closed the connection."""
        while len(self._pending) < wire.MESSAGE_SIZE:
            if timeout > 0:
                ready, _, _ = select.select([self._sock], [], [], timeout)
                if not ready:
                    return None
            try:
                chunk = self._sock.recv(4096)
            except BlockingIOError:
                return None
            except OSError as error:
                raise LinkClosed(f"Gessoria closed the link ({error.strerror})") from error
            if not chunk:
                raise LinkClosed("Gessoria closed the link")
            self._pending += chunk
        message, self._pending = self._pending[: wire.MESSAGE_SIZE], self._pending[wire.MESSAGE_SIZE:]
        return wire.unpack_message(message)


def block_name(environ=None):
    """The block's name: /GessoriaMMF_MaxMesh, or what GESSORIA_LINK_BLOCK says (so that
    test runs sharing a machine keep apart; the program reads the same variable)."""
    environ = os.environ if environ is None else environ
    return environ.get("GESSORIA_LINK_BLOCK") or wire.BLOCK_NAME


def block_path(name=wire.BLOCK_NAME):
    return os.path.join(SHM_DIR, name.lstrip("/"))


# A block older than this was left by a side that died during a hand-over: every live
# hand-over ends, collected or timed out (10 s), well within it.
STALE_BLOCK_SECONDS = 60


class OutgoingBlock:
    """A block this side creates to hand over: the named shared memory, mode 0600, mapped
    read-write and zero-filled. The reader removes the name once it has mapped it; remove()
    does it here when the block was never collected. A block of that name that is still in
    use is never replaced; one left over from a crash is."""

    def __init__(self, size, name=wire.BLOCK_NAME):
        self.path = block_path(name)
        try:
            fd = self._create(name)
        except OSError as error:
            raise LinkError(f"Cannot create the shared block {name}: {error.strerror}") from error
        created = os.fstat(fd)
        self._identity = (created.st_dev, created.st_ino)
        try:
            os.ftruncate(fd, size)
            self.map = mmap.mmap(fd, size)
        except OSError as error:
            os.close(fd)
            self.remove()
            raise LinkError(f"Cannot make the shared block of {size} bytes: {error.strerror}") from error
        os.close(fd)

    def _create(self, name):
        flags = os.O_RDWR | os.O_CREAT | os.O_EXCL
        try:
            return os.open(self.path, flags, 0o600)
        except FileExistsError:
            try:
                age = time.time() - os.stat(self.path).st_mtime
            except FileNotFoundError:
                return os.open(self.path, flags, 0o600)  # collected meanwhile: the name is free
            if age <= STALE_BLOCK_SECONDS:
                raise BlockInUse(f"The shared block {name} is in use by another hand-over; "
                                "try again in a moment") from None
            os.unlink(self.path)
            return os.open(self.path, flags, 0o600)

    def close(self):
        self.map.close()

    def remove(self):
        """Removes the name if it is still this block's: once the reader has removed it, the
        name may already belong to the other side's next block."""
        try:
            current = os.stat(self.path)
            if (current.st_dev, current.st_ino) == self._identity:
                os.unlink(self.path)
        except FileNotFoundError:
            pass


def take_block(name=wire.BLOCK_NAME):
    """The bytes of a block the program handed over. Its name is removed as soon as it is
    mapped, so the next hand-over finds the name free."""
    path = block_path(name)
    try:
        fd = os.open(path, os.O_RDONLY)
    except OSError as error:
        raise LinkError(f"Cannot open the shared block {name}: {error.strerror}") from error
    try:
        size = os.fstat(fd).st_size
        if size == 0:
            raise LinkError(f"The shared block {name} is empty")
        with mmap.mmap(fd, size, prot=mmap.PROT_READ) as view:
            try:
                os.unlink(path)
            except FileNotFoundError:
                pass
            return bytes(view)
    finally:
        os.close(fd)

"""The host's side of the conversation with Gessoria, as a state machine that never blocks.

Pure Python with no import of Blender. poll() does whatever the messages that have arrived
allow and returns at once, so Blender's interface can call it from a timer; wait() loops on
poll() for a batch run, where Blender's timers never fire.

Sending a scene: connect (starting the program when nobody listens and a launcher is
given), MaxCalling with the host's handle, the program's Replying (lParam 0), the block
written and MaxMesh with the host's handle and the block's base, the program's Replying
(lParam 1) when it has taken the block. Afterwards the connection stays open: each Replying
with lParam 2 brings materials back, which are read, handed to on_materials and
acknowledged with MaxMesh wParam 0.
"""

import os
import select
import time

from . import transport, wire

DEFAULT_BASE = 0x10000000

IDLE = "idle"  # no connection
STARTING = "starting"  # the program was started; connecting until it listens
CALLING = "calling"  # MaxCalling sent, waiting for Replying 0
HANDING = "handing"  # block written and MaxMesh sent, waiting for Replying 1
LINKED = "linked"  # connected, ready for materials and for the next scene


class HostLink:
    def __init__(self, path=None, launcher=None, on_materials=None, report=None, host_handle=None,
                 base=DEFAULT_BASE, start_timeout=30.0, reply_timeout=10.0, clock=time.monotonic,
                 block_name=None):
        self.path = path or transport.socket_path()
        self.launcher = launcher  # starts the program; returns nothing, raises LinkError
        self.on_materials = on_materials or (lambda returned: None)
        self.report = report or (lambda level, text: None)  # level: 'INFO', 'WARNING' or 'ERROR'
        self.host_handle = host_handle or (os.getpid() << 8 | 1)
        self.base = base
        self.start_timeout = start_timeout
        self.reply_timeout = reply_timeout
        self.clock = clock
        self.block_name = block_name or transport.block_name()
        self.state = IDLE
        self.connection = None
        self.program_handle = 0
        self.materials_received = 0
        self.scenes_taken = 0
        self.failures = 0
        self._scene = None
        self._block = None
        self._deadline = None

    @property
    def busy(self):
        """True while a scene is on its way."""
        return self.state in (STARTING, CALLING, HANDING)

    def send(self, scene):
        """Begins handing scene (a wire.HostScene) to the program."""
        if self.busy:
            raise transport.LinkError("A scene is already on its way to Gessoria")
        self._scene = scene
        if self.connection is None:
            self.connection = transport.Connection.open(self.path)
        if self.connection is None:
            if self.launcher is None:
                self._scene = None
                raise transport.LinkError("Gessoria is not running")
            self.launcher()
            self.state = STARTING
            self._deadline = self.clock() + self.start_timeout
            self.report("INFO", "Starting Gessoria...")
            return
        self._call()

    def _call(self):
        try:
            self.connection.send(wire.MAX_CALLING, self.host_handle, 0)
        except transport.LinkError:
            # The program of an earlier hand-over has gone: try the one listening now.
            self.connection.close()
            self.connection = transport.Connection.open(self.path)
            if self.connection is None:
                raise
            self.connection.send(wire.MAX_CALLING, self.host_handle, 0)
        self.state = CALLING
        self._deadline = self.clock() + self.reply_timeout

    def poll(self):
        """Handles whatever has arrived; never waits. Returns True while busy."""
        try:
            self._poll()
        except transport.LinkClosed as error:
            # Between hand-overs this is Gessoria quitting, nothing gone wrong.
            self._fail(str(error), keep_connection=False, level="ERROR" if self.busy else "INFO")
        except transport.LinkError as error:
            self._fail(str(error), keep_connection=False)
        except wire.BlockError as error:
            self._fail(str(error), keep_connection=True)
        return self.busy

    def _poll(self):
        if self.state == STARTING:
            self.connection = transport.Connection.open(self.path)
            if self.connection is not None:
                self._call()
            elif self.clock() > self._deadline:
                raise transport.LinkError(f"Gessoria did not start listening within {self.start_timeout:g} s")
            return
        if self.connection is None:
            return
        while True:
            message = self.connection.receive()
            if message is None:
                break
            self._handle(*message)
        if self.busy and self.clock() > self._deadline:
            raise transport.LinkError("Gessoria did not answer: the scene was not sent")

    def _handle(self, kind, wparam, lparam):
        if kind != wire.REPLYING:
            return
        if lparam == wire.REPLY_CALLED and self.state == CALLING:
            self.program_handle = wparam
            self._hand_over()
        elif lparam == wire.REPLY_SCENE_TAKEN and self.state == HANDING:
            self._block.close()  # the program has removed the name: nothing else to do
            self._block = None
            self._scene = None
            self.state = LINKED
            self.scenes_taken += 1
            self.report("INFO", "The scene is in Gessoria")
        elif lparam == wire.REPLY_MATERIALS:
            self._receive_materials(wparam)

    def _hand_over(self):
        size = wire.scene_block_size(self._scene)
        try:
            self._block = transport.OutgoingBlock(size, self.block_name)
        except transport.BlockInUse as error:
            raise wire.BlockError(str(error)) from error  # the connection itself is fine
        wire.write_scene_block(self._block.map, self.base, self._scene)
        self.connection.send(wire.MAX_MESH, self.host_handle, self.base)
        self.state = HANDING
        self._deadline = self.clock() + self.reply_timeout

    def _receive_materials(self, writer_base):
        try:
            returned = wire.decode_materials_block(transport.take_block(self.block_name), writer_base)
        except transport.LinkError as error:
            raise wire.BlockError(str(error)) from error
        finally:
            # The block has been taken (or cannot be): either way the program may let it go.
            self.connection.send(wire.MAX_MESH, 0, 0)
        try:
            self.on_materials(returned)
        except Exception as error:  # a fault of the host's own writing must not end the link
            self.failures += 1
            self.report("ERROR", f"The maps from Gessoria could not be written: {error}")
            return
        self.materials_received += 1

    def _drop_block(self):
        if self._block is not None:
            self._block.close()
            self._block.remove()
            self._block = None

    def _fail(self, text, keep_connection, level="ERROR"):
        """Ends what was under way; a block that cannot be written or read leaves the
        connection as it was, a lost or silent program ends it."""
        self.failures += 1
        self._drop_block()
        self._scene = None
        if keep_connection and self.connection is not None:
            self.state = LINKED
        else:
            if self.connection is not None:
                self.connection.close()
                self.connection = None
            self.state = IDLE
        self.report(level, text)

    def wait(self, condition, timeout):
        """Polls until condition() holds or timeout seconds pass; True if it held. For batch
        runs, where nothing else may happen meanwhile."""
        deadline = self.clock() + timeout
        while True:
            self.poll()
            if condition():
                return True
            remaining = deadline - self.clock()
            if remaining <= 0:
                return False
            if self.connection is not None and self.state != STARTING:
                select.select([self.connection], [], [], min(remaining, 0.5))
            else:
                time.sleep(min(remaining, 0.1))

    def close(self):
        self._drop_block()
        if self.connection is not None:
            self.connection.close()
            self.connection = None
        self.state = IDLE

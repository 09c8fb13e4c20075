"""The add-on's host state machine over a real Unix socket and real shared memory, against a
program side written here from the message sequence. Plain python3; the block gets a name
of its own so that a program running meanwhile is not disturbed."""

import os
import socket
import struct
import sys
import tempfile
import threading
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "blender"))

from gessoria_link import session, transport, wire  # noqa: E402
from test_wire import materials_block, two_object_scene  # noqa: E402

BLOCK = f"/GessoriaLinkTest-{os.getpid()}"
SHM = os.path.join("/dev/shm", BLOCK[1:])


class ProgramSide:
    """Listens like the program; answers MaxCalling and takes the scene block on MaxMesh
    (unless told to stay silent), and sends material blocks back on request."""

    def __init__(self, path, answer_scene=True, materials_at_once=None):
        self.answer_scene = answer_scene
        self.materials_at_once = materials_at_once  # (block, base) sent right after taking a scene
        self.server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.server.bind(path)
        self.server.listen(1)
        self.received = []
        self.scene_block = None
        self.acknowledged = threading.Event()
        self.scene_taken = threading.Event()
        self.connection = None
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        self.connection, _ = self.server.accept()
        while True:
            data = b""
            while len(data) < 24:
                chunk = self.connection.recv(24 - len(data))
                if not chunk:
                    return
                data += chunk
            kind, _, wparam, lparam = struct.unpack("<IIqq", data)
            self.received.append((kind, wparam, lparam))
            if kind == 1:
                self.connection.sendall(struct.pack("<IIqq", 2, 0, 0x5150, 0))
            elif kind == 3 and wparam != 0 and self.answer_scene:
                with open(SHM, "rb") as block:
                    self.scene_block = (block.read(), lparam)
                os.unlink(SHM)
                self.connection.sendall(struct.pack("<IIqq", 2, 0, 0x7000, 1))
                self.scene_taken.set()
                if self.materials_at_once is not None:
                    self.send_materials(*self.materials_at_once)
            elif kind == 3 and wparam == 0:
                self.acknowledged.set()

    def send_materials(self, block, base):
        with open(SHM, "xb") as out:
            out.write(block)
        self.connection.sendall(struct.pack("<IIqq", 2, 0, base, 2))

    def close(self):
        if self.connection is not None:
            self.connection.shutdown(socket.SHUT_RDWR)
            self.connection.close()
            self.connection = None
        self.server.close()


class FakeClock:
    def __init__(self):
        self.now = 0.0

    def __call__(self):
        return self.now


class SessionTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.folder.name, "link.sock")
        self.reports = []
        self.returned = []
        self.program = None

    def tearDown(self):
        if self.program is not None:
            self.program.close()
        if os.path.exists(SHM):
            os.unlink(SHM)
        self.folder.cleanup()

    def link(self, **options):
        link = session.HostLink(self.path, on_materials=self.returned.append,
                                report=lambda level, text: self.reports.append((level, text)),
                                host_handle=0x1234, base=0x00C00000, block_name=BLOCK, **options)
        self.addCleanup(link.close)
        return link

    def test_a_scene_is_handed_over_and_maps_come_back_and_are_acknowledged(self):
        self.program = ProgramSide(self.path)
        link = self.link()
        scene = two_object_scene()
        link.send(scene)
        self.assertTrue(link.wait(lambda: not link.busy, 30))
        self.assertEqual(link.state, session.LINKED)
        self.assertEqual(self.program.received[:2], [(1, 0x1234, 0), (3, 0x1234, 0x00C00000)])
        expected = bytearray(wire.scene_block_size(scene))
        wire.write_scene_block(expected, 0x00C00000, scene)
        self.assertEqual(self.program.scene_block, (bytes(expected), 0x00C00000))
        self.assertFalse(os.path.exists(SHM))

        self.program.send_materials(materials_block(0x44440000, b"Gs_"), 0x44440000)
        self.assertTrue(link.wait(lambda: link.materials_received == 1, 30))
        self.assertTrue(self.program.acknowledged.wait(30))
        self.assertEqual(self.program.received[-1], (3, 0, 0))
        self.assertFalse(os.path.exists(SHM))
        self.assertEqual(self.returned[0].prefix, "Gs_")
        self.assertEqual(bytes(self.returned[0].materials[0].maps["colour"].pixels), bytes(range(100, 112)))

    def test_maps_sent_straight_after_the_scene_was_taken_reach_the_host(self):
        # The name is free again once the program took the scene; its own block may hold it
        # before the host has read the program's answer.
        self.program = ProgramSide(self.path, materials_at_once=(materials_block(0x2000), 0x2000))
        link = self.link()
        link.send(two_object_scene())
        self.assertTrue(link.wait(lambda: link.materials_received == 1, 30))
        self.assertEqual(link.failures, 0)
        self.assertTrue(self.program.acknowledged.wait(30))

    def test_a_hostile_block_is_reported_acknowledged_and_the_link_stays(self):
        self.program = ProgramSide(self.path)
        link = self.link()
        link.send(two_object_scene())
        self.assertTrue(link.wait(lambda: not link.busy, 30))
        hostile = materials_block(0x1000)
        struct.pack_into("<i", hostile, 12, 1000)
        self.program.send_materials(hostile, 0x1000)
        self.assertTrue(link.wait(lambda: link.failures == 1, 30))
        self.assertTrue(self.program.acknowledged.wait(30))
        self.assertEqual(self.reports[-1][0], "ERROR")
        self.assertIn("1000 material records", self.reports[-1][1])
        self.assertEqual((link.state, self.returned), (session.LINKED, []))
        self.assertFalse(os.path.exists(SHM))
        self.program.acknowledged.clear()
        self.program.send_materials(materials_block(0x1000), 0x1000)
        self.assertTrue(link.wait(lambda: link.materials_received == 1, 30))

    def test_a_fault_while_writing_the_maps_is_reported_and_the_link_stays(self):
        self.program = ProgramSide(self.path)
        link = self.link()
        link.on_materials = lambda returned: 1 / 0
        link.send(two_object_scene())
        self.assertTrue(link.wait(lambda: not link.busy, 30))
        self.program.send_materials(materials_block(0x1000), 0x1000)
        self.assertTrue(link.wait(lambda: link.failures == 1, 30))
        self.assertTrue(self.program.acknowledged.wait(30))
        self.assertEqual(self.reports[-1], ("ERROR", "The maps from Gessoria could not be written: division by zero"))
        self.assertEqual((link.state, link.materials_received), (session.LINKED, 0))

    def test_without_a_program_the_launcher_starts_one_and_the_link_waits_for_it(self):
        link = self.link()
        with self.assertRaises(transport.LinkError) as caught:
            link.send(two_object_scene())
        self.assertEqual(str(caught.exception), "Gessoria is not running")
        self.assertEqual(link.state, session.IDLE)

        def launch():
            self.program = ProgramSide(self.path)

        link.launcher = launch
        link.send(two_object_scene())
        self.assertEqual(link.state, session.STARTING)
        self.assertTrue(link.wait(lambda: link.scenes_taken == 1, 30))

    def test_a_program_that_never_starts_or_never_takes_the_scene_times_out_and_the_block_goes(self):
        clock = FakeClock()
        link = self.link(clock=clock, start_timeout=5)
        link.launcher = lambda: None
        link.send(two_object_scene())
        link.poll()
        self.assertEqual(link.state, session.STARTING)
        clock.now = 6
        link.poll()
        self.assertEqual((link.state, link.failures), (session.IDLE, 1))
        self.assertIn("did not start", self.reports[-1][1])

        self.program = ProgramSide(self.path, answer_scene=False)
        link.send(two_object_scene())
        self.assertTrue(link.wait(lambda: link.state == session.HANDING, 30))
        self.assertTrue(os.path.exists(SHM))
        clock.now = 100
        link.poll()
        self.assertEqual((link.state, link.failures), (session.IDLE, 2))
        self.assertFalse(os.path.exists(SHM))
        self.assertEqual(self.reports[-1], ("ERROR", "Gessoria did not answer: the scene was not sent"))

    def test_a_program_that_goes_away_ends_the_link(self):
        self.program = ProgramSide(self.path)
        link = self.link()
        link.send(two_object_scene())
        self.assertTrue(link.wait(lambda: not link.busy, 30))
        self.program.close()
        self.assertTrue(link.wait(lambda: link.state == session.IDLE, 30))
        self.assertEqual(self.reports[-1], ("INFO", "Gessoria closed the link"))
        self.assertIsNone(link.connection)


    def test_a_block_in_use_is_left_alone_and_one_left_by_a_crash_is_replaced(self):
        self.program = ProgramSide(self.path)
        link = self.link()
        with open(SHM, "wb") as other:
            other.write(b"another hand-over")
        link.send(two_object_scene())
        self.assertTrue(link.wait(lambda: link.failures == 1, 30))
        self.assertIn("in use by another hand-over", self.reports[-1][1])
        with open(SHM, "rb") as other:
            self.assertEqual(other.read(), b"another hand-over")
        self.assertEqual(link.state, session.LINKED)

        old = os.stat(SHM).st_mtime - transport.STALE_BLOCK_SECONDS - 1
        os.utime(SHM, (old, old))
        link.send(two_object_scene())
        self.assertTrue(link.wait(lambda: link.scenes_taken == 1, 30))
        self.assertEqual(self.program.scene_block[0][:4], struct.pack("<i", 2))


class SocketPathTest(unittest.TestCase):
    def test_the_runtime_folder_or_a_per_user_folder_in_tmp(self):
        self.assertEqual(transport.socket_path({"XDG_RUNTIME_DIR": "/run/user/7"}), "/run/user/7/gessoria/link.sock")
        self.assertEqual(transport.socket_path({}, uid=1001), "/tmp/gessoria-link-1001/link.sock")
        self.assertEqual(transport.socket_path({"XDG_RUNTIME_DIR": ""}, uid=5), "/tmp/gessoria-link-5/link.sock")

    def test_the_block_name_can_be_moved_for_test_runs(self):
        self.assertEqual(transport.block_name({}), "/GessoriaMMF_MaxMesh")
        self.assertEqual(transport.block_name({"GESSORIA_LINK_BLOCK": "/Other"}), "/Other")


if __name__ == "__main__":
    unittest.main()

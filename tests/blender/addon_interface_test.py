"""The add-on in Blender's interface (a window on Xvfb), where it must never wait: the
operator returns at once, and the add-on's own timer carries the hand-over on and takes the
maps back, against the program side of test_session. Run by
    blender --factory-startup --python THIS -- ADDON_DIR
under a display; the script ends Blender with its own status."""

import os
import struct
import sys
import tempfile
import traceback

import numpy as np

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, sys.argv[sys.argv.index("--") + 1]]
runtime = tempfile.mkdtemp(prefix="gessoria-interface-test-")
os.environ["XDG_RUNTIME_DIR"] = runtime

import bpy  # noqa: E402

import blender_scene  # noqa: E402
import gessoria_link  # noqa: E402
import test_session  # noqa: E402
from gessoria_link import host, session  # noqa: E402

TICK = 0.2
MAX_TICKS = 600  # a bound on the waiting, not a measure of it

failures = []
state = {"step": "send", "ticks": 0}


def check(condition, text):
    if not condition:
        failures.append(text)
        print("FAILED:", text)


def finish():
    host.disconnect()
    program.close()
    if os.path.exists(test_session.SHM):  # a block a failed run left behind
        os.unlink(test_session.SHM)
    print("add-on interface test:", "FAILED" if failures else "passed", bpy.app.version_string)
    sys.stdout.flush()
    os._exit(1 if failures else 0)


def returned_block():
    size = blender_scene.SIZE
    block = bytearray(168 + 336 + size * size * 3)
    struct.pack_into("<i", block, 12, 1)
    struct.pack_into("<I", block, 20, 0x100 + 168)
    block[132] = 1
    block[168 + 332] = 1
    block[168 + 32 + 40] = 1
    struct.pack_into("<Iiii", block, 168 + 32 + 44, 0x100 + 504, size, size, 24)
    block[504:] = bytes([0, 0, 255]) * (size * size)  # red, as blue green red
    return block


def tick():
    try:
        return step()
    except Exception:
        traceback.print_exc()
        failures.append("exception")
        finish()


def step():
    state["ticks"] += 1
    if state["ticks"] > MAX_TICKS:
        check(False, f"no progress at step {state['step']}: {host.status()}, {host.messages()}")
        finish()
    if state["step"] == "send":
        window = bpy.context.window_manager.windows[0]
        area = next(area for area in window.screen.areas if area.type == "VIEW_3D")
        with bpy.context.temp_override(window=window, area=area):
            check(bpy.ops.object.send_to_gessoria() == {"FINISHED"}, "Send to Gessoria from the interface")
        check(host.link().state == session.CALLING, f"the operator returns before Gessoria answers: {host.status()}")
        state["step"] = "scene"
    elif state["step"] == "scene":
        if host.link().state == session.LINKED:  # reached by the add-on's timer alone
            check(program.scene_block is not None, "the program took the scene")
            program.send_materials(returned_block(), 0x100)
            state["step"] = "maps"
    elif state["step"] == "maps":
        if host.link().materials_received == 1:
            check(program.acknowledged.wait(30), "the maps were acknowledged")
            pixels = blender_scene.image_pixels(image)
            check(np.all(pixels[..., :3] == (255, 0, 0)), "the image holds the returned map")
            finish()
    return TICK


gessoria_link.register()
cube, image = blender_scene.build_cube()
os.makedirs(os.path.join(runtime, "gessoria"))
program = test_session.ProgramSide(os.path.join(runtime, "gessoria", "link.sock"))
host.link().block_name = test_session.BLOCK  # a name of its own: a program running meanwhile keeps its block
bpy.app.timers.register(tick, first_interval=1.0)

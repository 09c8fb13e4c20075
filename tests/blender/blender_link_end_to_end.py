"""The whole round trip in real Blender (blender -b --factory-startup --python THIS -- ADDON_DIR
CLI DATA_DIR WORK_DIR): the add-on sends a cube with a 64 x 64 image to `gessoria-cli link`,
which paints a stroke and sends the maps back; Blender's image must then hold the painted
texels, byte for byte the Colour map the CLI saved, and be unchanged everywhere else."""

import os
import shlex
import shutil
import subprocess
import sys
import time
import traceback

import numpy as np

here = os.path.dirname(os.path.abspath(__file__))
arguments = sys.argv[sys.argv.index("--") + 1:]
addon_dir, cli, data_dir, work = arguments
sys.path[:0] = [here, addon_dir]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
# A runtime folder of its own, so the CLI's socket is found here and nowhere else.
runtime = os.path.join(work, "runtime")
os.makedirs(runtime, mode=0o700, exist_ok=True)
os.environ["XDG_RUNTIME_DIR"] = runtime
# A block name of its own, which both sides take from the environment.
os.environ["GESSORIA_LINK_BLOCK"] = f"/GessoriaLinkEndToEnd-{os.getpid()}"

import bpy  # noqa: E402

import blender_scene  # noqa: E402
import gessoria_link  # noqa: E402
from gessoria_link import host  # noqa: E402

STROKE = """# a red stroke across the middle of the Front view
foreground 0xFF0000FF
stroke 370,300 430,300
"""

failures = []


def check(condition, text):
    if not condition:
        failures.append(text)
        print("FAILED:", text)


def run():
    gessoria_link.register()
    cube, image = blender_scene.build_cube()
    original = blender_scene.image_pixels(image)
    script = os.path.join(work, "stroke.txt")
    with open(script, "w") as out:
        out.write(STROKE)
    project = os.path.join(work, "painted.gsr")
    log, status = os.path.join(work, "cli.log"), os.path.join(work, "cli.status")
    # Nobody listens yet: the add-on starts the program itself, here the CLI through a shell
    # that keeps its output and status. The starter brushes and paints are read from the
    # current folder, as the desktop program does.
    command = " ".join(shlex.quote(word) for word in [cli, "link", "--script", script, "-o", project,
                                                      "--timeout", "60"])
    host.set_launch_command(["bash", "-c", f"cd {shlex.quote(data_dir)} && {command} > {shlex.quote(log)} 2>&1; "
                                           f"echo $? > {shlex.quote(status)}"])
    try:
        host.send_objects(bpy.context, [cube], timeout=60)
        check(any(text == "Starting Gessoria..." for _, text in host.messages()), "the add-on started the program")
        check(host.wait_for_materials(1, 120), "the painted maps came back")
    finally:
        host.disconnect()
        leftover = os.path.join("/dev/shm", os.environ["GESSORIA_LINK_BLOCK"][1:])
        if os.path.exists(leftover):  # a block a failed run left behind
            os.unlink(leftover)
    for _ in range(1200):  # the CLI ends once acknowledged (or after its own time-out)
        if os.path.exists(status) and open(status).read().strip():
            break
        time.sleep(0.1)
    print(open(log).read() if os.path.exists(log) else "no output from gessoria-cli")
    check(os.path.exists(status) and open(status).read().strip() == "0",
          "gessoria-cli link ends with status 0 once acknowledged")

    after = blender_scene.image_pixels(image)
    changed = np.any(after != original, axis=2)
    check(changed.any(), "the stroke changed texels of Blender's image")
    check(np.all(after[..., 3] == 255), "the image stays opaque")
    now, before = after[changed].astype(int), original[changed].astype(int)
    check(np.all(now[:, 0] >= before[:, 0]) and np.all(now[:, 1:3] <= before[:, 1:3]),
          "the stroke moved every texel it changed towards red")

    maps = os.path.join(work, "maps")
    exported = subprocess.run([cli, "export-maps", project, maps, "--format", "png", "--padding", "0"],
                              cwd=data_dir, capture_output=True, text=True)
    check(exported.returncode == 0, f"export-maps: {exported.stderr}")
    colour = bpy.data.images.load(os.path.join(maps, "CubeMaterial_colour.png"))
    saved = blender_scene.image_pixels(colour)
    # The program keeps a received map's first row (the image's top row) as its bitmap's row 0,
    # and an image file written from a bitmap has row 0 at the bottom: the file is the image
    # upside down.
    saved = saved[::-1]
    check(saved.shape == after.shape, f"the saved map is {saved.shape}")
    check(np.array_equal(after[..., :3], saved[..., :3]), "Blender's image is byte for byte the map Gessoria holds")
    check(changed.sum() < changed.size // 4, f"only the stroke's texels changed ({changed.sum()} of {changed.size})")
    # Gessoria's Front view looks along Blender's +y, as Blender's own Front view does: the
    # stroke lands on the cube's face at y = -1, so its texels centre inside that face's
    # square of the UV map (texture-space dabs spill over the square's edges).
    front = next(p for p in cube.data.polygons if p.normal.y < -0.99)
    uv = np.array([cube.data.uv_layers.active.data[i].uv for i in front.loop_indices]) * blender_scene.SIZE
    row, column = np.mean(np.nonzero(changed), axis=1)
    check(uv[:, 1].min() <= row <= uv[:, 1].max() and uv[:, 0].min() <= column <= uv[:, 0].max(),
          f"the stroke centres on the front face: texel row {row:.1f}, column {column:.1f}, "
          f"face {uv.min(axis=0)}..{uv.max(axis=0)}")


try:
    run()
except Exception:
    traceback.print_exc()
    failures.append("exception")
print("blender link end-to-end:", "FAILED" if failures else "passed", bpy.app.version_string)
sys.stdout.flush()
os._exit(1 if failures else 0)

"""How long the Blender add-on takes to turn a dense mesh into a link block, beside Blender's
own export of the same mesh to OBJ as the anchor measured in the same run:
    blender -b --factory-startup --python bench/blender_send_timing.py -- blender
Prints the median of five runs of each."""

import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.abspath(sys.argv[sys.argv.index("--") + 1]))

import bpy  # noqa: E402

from gessoria_link import scene_export, wire  # noqa: E402


def median_seconds(action, runs=5):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


bpy.ops.object.select_all(action="SELECT")
bpy.ops.object.delete()
bpy.ops.mesh.primitive_grid_add(x_subdivisions=501, y_subdivisions=501, size=2.0)
grid = bpy.context.active_object
image = bpy.data.images.new("Map", 1024, 1024)
material = bpy.data.materials.new("Painted")
material.use_nodes = True
texture = material.node_tree.nodes.new("ShaderNodeTexImage")
texture.image = image
material.node_tree.links.new(texture.outputs["Color"], material.node_tree.nodes["Principled BSDF"].inputs["Base Color"])
grid.data.materials.append(material)

scene, _, _ = scene_export.collect_scene(bpy.context, [grid])
block = bytearray(wire.scene_block_size(scene))
collect = median_seconds(lambda: scene_export.collect_scene(bpy.context, [grid]))
write = median_seconds(lambda: wire.write_scene_block(block, 0x10000000, scene))
obj_path = os.path.join(tempfile.mkdtemp(), "grid.obj")
if bpy.app.version >= (3, 3, 0):
    anchor = median_seconds(lambda: bpy.ops.wm.obj_export(filepath=obj_path, export_materials=False), runs=3)
else:
    anchor = float("nan")
print(f"{scene.face_count} faces, 1024 x 1024 colour map: collect {collect:.3f} s, write block {write:.3f} s "
      f"({len(block) / 1e6:.1f} MB); anchor: Blender's OBJ export of the same mesh {anchor:.3f} s")
sys.stdout.flush()
os._exit(0)

"""How long the Blender add-on takes to turn a dense mesh into a link block, beside Blender's
own export of the same mesh to OBJ as the anchor measured in the same run, and to write 8
returned materials of 1024 x 1024 (a colour and a bump map each) into Blender's images,
beside Blender saving those 8 colour images as PNG files:
    blender -b --factory-startup --python bench/blender_send_timing.py -- blender
Prints the median of five runs of each."""

import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.abspath(sys.argv[sys.argv.index("--") + 1]))

import bpy  # noqa: E402

import struct  # noqa: E402

from gessoria_link import material_import, scene_export, wire  # noqa: E402


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

names = []
for i in range(8):
    material = bpy.data.materials.new(f"M{i}")
    material.use_nodes = True
    texture = material.node_tree.nodes.new("ShaderNodeTexImage")
    texture.image = bpy.data.images.new(f"Map{i}", 1024, 1024)
    material.node_tree.links.new(texture.outputs["Color"], material.node_tree.nodes["Principled BSDF"].inputs["Base Color"])
    names.append(material.name)
pixels_at = 168 + 336 * 8
returned = bytearray(pixels_at + 8 * 1024 * 1024 * 4)
struct.pack_into("<i", returned, 12, 8)
struct.pack_into("<I", returned, 20, 168)
returned[132] = 1
for i in range(8):
    record = 168 + 336 * i
    returned[record + 332] = 1
    for at, bits in ((32, 24), (152, 8)):
        returned[record + at + 40] = 1
        struct.pack_into("<Iiii", returned, record + at + 44, pixels_at, 1024, 1024, bits)
        pixels_at += 1024 * 1024 * (3 if bits == 24 else 1)
returned = bytes(returned)
receive = median_seconds(lambda: material_import.apply_materials(wire.decode_materials_block(returned, 0), names), runs=3)
folder = tempfile.mkdtemp()


def save_all():
    for i in range(8):
        image = bpy.data.images[f"Map{i}"]
        image.filepath_raw = os.path.join(folder, f"map{i}.png")
        image.file_format = "PNG"
        image.save()


save = median_seconds(save_all, runs=3)
print(f"8 materials of 1024 x 1024, colour and bump each: written into Blender's images {receive:.3f} s; "
      f"anchor: Blender saving the 8 colour images as PNG {save:.3f} s")
sys.stdout.flush()
os._exit(0)

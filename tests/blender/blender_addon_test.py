"""The add-on inside real Blender (blender -b --factory-startup --python THIS -- BLENDER_DIR)
against the program side of test_session: the cube's block is checked field by field, then
maps are sent back in both modes and Blender's images are checked to the byte."""

import os
import struct
import sys
import tempfile
import time
import traceback

import numpy as np

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, sys.argv[sys.argv.index("--") + 1]]
runtime = tempfile.mkdtemp(prefix="gessoria-addon-test-")
os.environ["XDG_RUNTIME_DIR"] = runtime

import bpy  # noqa: E402

import blender_scene  # noqa: E402
import gessoria_link  # noqa: E402
import test_session  # noqa: E402
from gessoria_link import host  # noqa: E402

failures = []


def check(condition, text):
    if not condition:
        failures.append(text)
        print("FAILED:", text)


def materials_block(base, overwrite, prefix, colour_rows, shininess_rows):
    """A program's block for one material with a 64 x 64 colour map (blue, green, red, top
    row first) and a shininess map."""
    size = blender_scene.SIZE
    block = bytearray(168 + 336 + size * size * 4)
    struct.pack_into("<i", block, 12, 1)
    struct.pack_into("<I", block, 20, base + 168)
    block[132] = overwrite
    block[133:133 + len(prefix)] = prefix
    block[168 + 332] = 1
    data = 168 + 336
    block[168 + 32 + 40] = 1
    struct.pack_into("<Iiii", block, 168 + 32 + 44, base + data, size, size, 24)
    block[data:data + size * size * 3] = colour_rows.tobytes()
    data += size * size * 3
    block[168 + 212 + 40] = 1
    struct.pack_into("<Iiii", block, 168 + 212 + 44, base + data, size, size, 8)
    block[data:data + size * size] = shininess_rows.tobytes()
    return block


def run():
    gessoria_link.register()
    cube, image = blender_scene.build_cube()
    original = blender_scene.image_pixels(image)
    os.makedirs(os.path.join(runtime, "gessoria"))
    program = test_session.ProgramSide(os.path.join(runtime, "gessoria", "link.sock"))
    host.link().block_name = test_session.BLOCK  # a name of its own: a program running meanwhile keeps its block
    try:
        check(bpy.ops.object.send_to_gessoria() == {"FINISHED"}, "Object > Send to Gessoria")
        block, base = program.scene_block
        objects, vertices, faces, materials = struct.unpack_from("<4i", block, 0)
        check((objects, vertices, faces, materials) == (1, 8, 12, 1), f"counts {(objects, vertices, faces, materials)}")

        def array(header_offset, fmt, count):
            at = struct.unpack_from("<I", block, header_offset)[0] - base
            return np.frombuffer(block, dtype=fmt, count=count, offset=at)

        x, y, z = (array(offset, "<f4", 8) for offset in (48, 52, 56))
        check(sorted(set(np.round(np.concatenate([x, y, z]), 5))) == [-1.0, 1.0], "cube corners at +-1")
        a, b, c = (array(offset, "<i4", 12) for offset in (72, 76, 80))
        positions = np.stack([x, y, z], axis=1)
        normals = np.stack([array(offset, "<f4", 12) for offset in (60, 64, 68)], axis=1)
        computed = np.cross(positions[b] - positions[a], positions[c] - positions[a]) / 4.0
        check(np.allclose(normals, computed, atol=1e-6), "face normals are (B - A) x (C - A), unit length")
        flags = array(120, "<i2", 12)
        check(sorted(int(bin(f).count("1")) for f in flags) == [2] * 12, f"two visible edges per triangle: {flags}")
        check(np.all(array(124, "<i4", 12) == 0), "a flat cube has no smoothing groups")
        check(np.all(array(128, "<i2", 12) == 1), "every face has material 1")
        u = np.concatenate([array(offset, "<i4", 12) for offset in (24, 32, 40)])
        v = np.concatenate([array(offset, "<i4", 12) for offset in (28, 36, 44)])
        check(u.min() >= 0 and u.max() <= 65536 and v.min() >= 0 and v.max() <= 65536 and len(set(u)) > 2,
              "16.16 texture coordinates of the UV map")
        record = struct.unpack_from("<I", block, 20)[0] - base
        check(block[record:record + 13] == b"CubeMaterial\0", "material name")
        descriptor = record + 32
        check(block[descriptor:descriptor + 12] == b"CubeTexture\0" and block[descriptor + 40] == 1,
              "colour map named and present")
        pixels, height, width, bits = struct.unpack_from("<Iiii", block, descriptor + 44)
        check((height, width, bits) == (64, 64, 24), "colour map 64 x 64 x 24")
        sent = np.frombuffer(block, np.uint8, 64 * 64 * 3, pixels - base).reshape(64, 64, 3)
        check(np.array_equal(sent, original[::-1, :, 2::-1]), "colour map: top row first, blue green red")
        check(all(block[record + at + 40] == 0 for at in (92, 152, 212, 272)), "no other map present")

        painted = original[::-1, :, 2::-1].copy()
        painted[10:20, 30:40] = (1, 2, 3)  # rows from the top, blue green red
        shininess = np.arange(64 * 64, dtype=np.uint32).astype(np.uint8).reshape(64, 64)
        program.send_materials(materials_block(0x6000000, 1, b"", painted, shininess), 0x6000000)
        check(host.wait_for_materials(1, 30), "materials taken")
        check(program.acknowledged.wait(30), "materials acknowledged")
        after = blender_scene.image_pixels(image)
        expected = original.copy()
        expected[64 - 20:64 - 10, 30:40, :3] = (3, 2, 1)
        check(np.array_equal(after, expected), "overwrite: the painted texels and only those changed")
        new_roughness = bpy.data.images.get("CubeMaterial_Roughness")
        check(new_roughness is not None, "a shininess map without an image becomes a new roughness image")
        if new_roughness is not None:
            check(new_roughness.colorspace_settings.name == "Non-Color", "roughness is not colour data")
            check(np.array_equal(blender_scene.image_pixels(new_roughness)[..., 0], 255 - shininess[::-1]),
                  "roughness = 255 - shininess, bottom row first")
            check(new_roughness.packed_file is None, "not packed at each hand-over")
            bpy.ops.wm.save_as_mainfile(filepath=os.path.join(runtime, "saved.blend"))
            check(new_roughness.packed_file is not None and not new_roughness.is_dirty,
                  "new images are packed when the .blend file is saved")

        program.acknowledged.clear()
        program.send_materials(materials_block(0x100, 0, b"Gs_", painted, shininess), 0x100)
        # What the interface's timer does: poll, never wait (timers do not fire in a background run).
        check(program.acknowledged.wait(0) is False, "nothing is taken before the timer runs")
        for _ in range(600):
            interval = host._poll_timer()
            if host.link().materials_received == 2:
                break
            time.sleep(0.05)
        check(host.link().materials_received == 2, "second materials taken by the timer")
        check(interval == host.POLL_INTERVAL, "the timer keeps running while linked")
        new_colour = bpy.data.images.get("Gs_CubeMaterial_Colour")
        check(new_colour is not None, "generate new: an image named with the prefix")
        check(np.array_equal(blender_scene.image_pixels(image), expected), "generate new leaves the old image")
        if new_colour is not None:
            check(np.array_equal(blender_scene.image_pixels(new_colour), expected), "the new image has the map")
            node = gessoria_link.materials.map_target(bpy.data.materials["CubeMaterial"], "colour")
            check(node is not None and node.image == new_colour, "the new image feeds Base Color")
        check_node_maps(program)
        check_normal_map(program)
    finally:
        host.disconnect()
        program.close()
        if os.path.exists(test_session.SHM):  # a block a failed run left behind
            os.unlink(test_session.SHM)


def grey_image(name, seed, alpha=False):
    """A 16 x 8 byte image of random bytes (RGBA, bottom row first), and its bytes."""
    rgba = np.random.default_rng(seed).integers(0, 256, (8, 16, 4), dtype=np.uint8)
    if not alpha:
        rgba[..., 3] = 255
    image = bpy.data.images.new(name, 16, 8, alpha=alpha)
    image.pixels.foreach_set((rgba.astype(np.float32) / np.float32(255.0)).reshape(-1))
    return image, rgba


def check_normal_map(program):
    """A normal map is not sent; a bump map coming back is put in front of it."""
    bpy.ops.object.select_all(action="DESELECT")
    bpy.ops.mesh.primitive_plane_add(size=2.0)
    plane = bpy.context.active_object
    material = bpy.data.materials.new("Bumpy")
    material.use_nodes = True
    tree = material.node_tree
    bsdf = tree.nodes["Principled BSDF"]
    texture = tree.nodes.new("ShaderNodeTexImage")
    texture.image = grey_image("NormalMap", 5)[0]
    normal_map = tree.nodes.new("ShaderNodeNormalMap")
    tree.links.new(texture.outputs["Color"], normal_map.inputs["Color"])
    tree.links.new(normal_map.outputs["Normal"], bsdf.inputs["Normal"])
    plane.data.materials.append(material)
    notes = host.send_objects(bpy.context, [plane], timeout=30)
    check(notes == ['Material "Bumpy": its normal map is not sent (Gessoria paints heights)'], f"notes {notes}")
    block, base = program.scene_block
    record = struct.unpack_from("<I", block, 20)[0] - base
    check(block[record + 152 + 40] == 0, "no bump map sent")

    count = host.link().materials_received
    returned = bytearray(168 + 336 + 128)
    struct.pack_into("<i", returned, 12, 1)
    struct.pack_into("<I", returned, 20, 168)
    returned[132] = 1
    returned[168 + 332] = 1
    returned[168 + 152 + 40] = 1
    struct.pack_into("<Iiii", returned, 168 + 152 + 44, 504, 8, 16, 8)
    program.send_materials(returned, 0)
    check(host.wait_for_materials(count + 1, 30), "bump map taken")
    bump = bsdf.inputs["Normal"].links[0].from_node
    check(bump.type == "BUMP", "a Bump node feeds Normal")
    check(bump.inputs["Normal"].links and bump.inputs["Normal"].links[0].from_node == normal_map,
          "in front of the normal map")
    height = bump.inputs["Height"].links and bump.inputs["Height"].links[0].from_node
    check(bool(height) and height.image is not None and height.image.name == "Bumpy_Bump",
          "its Height is the new bump image")


def check_node_maps(program):
    """A smooth, subdivided, mirrored plane whose material takes Alpha from an image's alpha
    output, Bump from a Bump node's Height, Roughness through an Invert node and Emission."""
    bpy.ops.object.select_all(action="DESELECT")
    bpy.ops.mesh.primitive_plane_add(size=2.0)
    plane = bpy.context.active_object
    plane.modifiers.new("Subdivision", "SUBSURF").levels = 1
    plane.scale.x = -1.0
    plane.location.x = 3.0
    bpy.ops.object.shade_smooth()
    material = bpy.data.materials.new("Nodes")
    material.use_nodes = True
    tree = material.node_tree
    bsdf = tree.nodes["Principled BSDF"]
    bsdf.inputs["Base Color"].default_value = (0.5, 0.21586, 0.0, 1.0)  # sRGB 188, 128, 0
    images = {}
    for name, seed, alpha in (("Opacity", 1, True), ("Height", 2, False), ("Shine", 3, False), ("Glow", 4, False)):
        images[name] = grey_image(name, seed, alpha)
    textures = {}
    for name, (image, _) in images.items():
        textures[name] = tree.nodes.new("ShaderNodeTexImage")
        textures[name].image = image
    tree.links.new(textures["Opacity"].outputs["Color"], bsdf.inputs["Base Color"])
    tree.links.new(textures["Opacity"].outputs["Alpha"], bsdf.inputs["Alpha"])
    bump = tree.nodes.new("ShaderNodeBump")
    tree.links.new(textures["Height"].outputs["Color"], bump.inputs["Height"])
    tree.links.new(bump.outputs["Normal"], bsdf.inputs["Normal"])
    invert = tree.nodes.new("ShaderNodeInvert")
    tree.links.new(textures["Shine"].outputs["Color"], invert.inputs["Color"])
    tree.links.new(invert.outputs["Color"], bsdf.inputs["Roughness"])
    emission = bsdf.inputs.get("Emission Color") or bsdf.inputs["Emission"]
    tree.links.new(textures["Glow"].outputs["Color"], emission)
    plane.data.materials.append(material)

    host.send_objects(bpy.context, [plane], timeout=30)
    block, base = program.scene_block
    check(struct.unpack_from("<4i", block, 0) == (1, 9, 8, 1), f"subdivided plane: {struct.unpack_from('<4i', block, 0)}")

    def array(header_offset, fmt, count):
        at = struct.unpack_from("<I", block, header_offset)[0] - base
        return np.frombuffer(block, dtype=fmt, count=count, offset=at)

    x = array(48, "<f4", 9)
    check(np.isclose(x.min() + x.max(), 6) and x.max() - x.min() < 1.99, "in world space, with the modifier applied")
    check(np.all(array(52, "<f4", 9) == 0) and np.ptp(array(56, "<f4", 9)) > 1,
          "Blender's ground plane (z = 0) is the program's y = 0")
    normal_y = array(64, "<f4", 8)
    check(np.allclose(normal_y, -1), f"the mirrored plane's faces keep facing Blender's +z: {normal_y}")
    check(np.all(array(124, "<i4", 8) == 1), "smooth faces share smoothing group 1")
    check(sorted(int(bin(f).count("1")) for f in array(120, "<i2", 8)) == [2] * 8, "the quads' diagonals are hidden")
    record = struct.unpack_from("<I", block, 20)[0] - base
    diffuse = struct.unpack_from("<i", block, record + 20)[0]
    check(diffuse == 0xBC8000, f"diffuse colour in sRGB bytes: {diffuse:06x}")
    pixels, height, width, bits = struct.unpack_from("<Iiii", block, record + 32 + 44)
    check((height, width, bits) == (8, 16, 24), "one RGBA image gives the colour map")
    colour = np.frombuffer(block, np.uint8, 16 * 8 * 3, pixels - base).reshape(8, 16, 3)
    check(np.array_equal(colour, images["Opacity"][1][::-1, :, 2::-1]), "colour from its red, green, blue")

    def sent_map(at):
        pixels, height, width, bits = struct.unpack_from("<Iiii", block, record + at + 44)
        check(block[record + at + 40] == 1 and (height, width, bits) == (8, 16, 8), f"map at {at}: 16 x 8, 8 bits")
        return np.frombuffer(block, np.uint8, 16 * 8, pixels - base).reshape(8, 16)

    def grey(rgba):
        r, g, b = (rgba[..., i].astype(int) for i in range(3))
        return (r * 77 + g * 150 + b * 29 + 128) >> 8

    check(np.array_equal(sent_map(92), images["Opacity"][1][::-1, :, 3]), "opacity: the image's alpha, top row first")
    check(np.array_equal(sent_map(152), grey(images["Height"][1])[::-1]), "bump: the Height image in grey")
    check(np.array_equal(sent_map(212), grey(images["Shine"][1])[::-1]), "shininess: through Invert, as it is")
    check(np.array_equal(sent_map(272), grey(images["Glow"][1])[::-1]), "self illumination: the Emission image")

    count = host.link().materials_received
    returned = bytearray(168 + 336 + 128)
    struct.pack_into("<i", returned, 12, 1)
    struct.pack_into("<I", returned, 20, 0x9000 + 168)
    returned[132] = 1
    returned[168 + 332] = 1
    returned[168 + 92 + 40] = 1
    struct.pack_into("<Iiii", returned, 168 + 92 + 44, 0x9000 + 504, 8, 16, 8)
    returned[504:632] = bytes(range(128))
    program.send_materials(returned, 0x9000)
    check(host.wait_for_materials(count + 1, 30), "opacity map taken")
    opacity, before = images["Opacity"]
    after = blender_scene.image_pixels(opacity)
    check(np.array_equal(after[..., 3], np.arange(128, dtype=np.uint8).reshape(8, 16)[::-1]),
          "an opacity map comes back into the alpha channel it was taken from")
    check(np.array_equal(after[..., :3], before[..., :3]), "and leaves the colours alone")

    returned[168 + 92 + 40] = 0
    returned[168 + 32 + 40] = 1
    struct.pack_into("<Iiii", returned, 168 + 32 + 44, 0x9000 + 504, 8, 4, 24)  # 4 x 8 texels now
    returned[504:600] = bytes(range(96, 192))
    program.send_materials(returned, 0x9000)
    check(host.wait_for_materials(count + 2, 30), "colour map taken")
    now = blender_scene.image_pixels(opacity)
    check(tuple(opacity.size) == (4, 8), "the image takes the map's size")
    check(np.array_equal(now[..., 2::-1], np.arange(96, 192, dtype=np.uint8).reshape(8, 4, 3)[::-1]),
          "the colour map's blue, green, red rows, turned over")
    check(len(np.unique(now[..., 3])) > 1, f"and the alpha the opacity map wrote stays: {np.unique(now[..., 3])}")

    returned[132] = 0  # generate new
    returned[133:136] = b"N_\0"
    returned[168 + 32 + 40] = 0
    returned[168 + 92 + 40] = 1
    returned[504:632] = bytes(range(128))
    program.send_materials(returned, 0x9000)
    check(host.wait_for_materials(count + 3, 30), "new opacity map taken")
    new_opacity = bpy.data.images.get("N_Nodes_Opacity")
    target = gessoria_link.materials.map_target(material, "opacity")
    check(new_opacity is not None and target is not None and target.image == new_opacity,
          "a new opacity image feeds Alpha")
    blends = (material.surface_render_method == "BLENDED" if hasattr(material, "surface_render_method")
              else material.blend_method == "BLEND")
    check(blends, "and the viewport blends the material")
    if new_opacity is not None:
        check(np.array_equal(blender_scene.image_pixels(new_opacity)[..., 0],
                             np.arange(128, dtype=np.uint8).reshape(8, 16)[::-1]), "the new opacity image's grey")


try:
    run()
except Exception:
    traceback.print_exc()
    failures.append("exception")
print("blender add-on test:", "FAILED" if failures else "passed", bpy.app.version_string)
sys.stdout.flush()
os._exit(1 if failures else 0)

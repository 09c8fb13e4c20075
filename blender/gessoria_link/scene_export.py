"""Blender's selected meshes as a scene for the link's block.

Each mesh object is taken as the evaluated depsgraph shows it (modifiers applied), in world
space, as its loop triangles. Gessoria's scene has y up and its z running the other way
round from a right-handed y-up space (the way it reads glTF models), so Blender's (x, y, z)
becomes (x, z, y). Per triangle: the three corner vertices, the active UV layer's
coordinates in 16.16 fixed point (65536 = 1.0, v up as in Blender; Gessoria turns v over),
the face normal as Gessoria computes it from the corners, (B - A) x (C - A), the edges of the original polygon that the triangle shows (flag bits 2, 1,
0 for the edges A-B, B-C, C-A; diagonals made by the triangulation stay hidden), smoothing
group 1 for a smooth face and 0 for a flat one, and the material number (1.. over the
distinct materials of all objects, 0 for a slot without a material).
"""

import bpy
import numpy as np

from . import materials, pixels, wire

MAP_NAME_CHARACTERS = 12  # a map name as the program keeps it
MAX_MATERIALS = 32767  # face material numbers are 16-bit


def _get(collection, attribute, count, dtype, width=1):
    values = np.empty(count * width, dtype=dtype)
    collection.foreach_get(attribute, values)
    return values


def _fixed_16_16(values):
    # Scaling a float32 by 65536 and truncating are exact; the bounds are the int32 limits
    # that float32 holds.
    scaled = np.trunc(values * np.float32(65536.0))
    return np.clip(scaled, np.float32(-(2 ** 31)), np.float32(2 ** 31 - 128)).astype("<i4")


def _visible_edges(mesh, corner_loops, polygon_of_face):
    start = _get(mesh.polygons, "loop_start", len(mesh.polygons), np.int32)[polygon_of_face]
    total = _get(mesh.polygons, "loop_total", len(mesh.polygons), np.int32)[polygon_of_face]

    def follows(first, second):
        return (start + (first - start + 1) % total == second) | (start + (second - start + 1) % total == first)

    l0, l1, l2 = corner_loops[:, 0], corner_loops[:, 1], corner_loops[:, 2]
    return (follows(l0, l1).astype(np.int16) << 2 | follows(l1, l2).astype(np.int16) << 1
            | follows(l2, l0).astype(np.int16)).astype("<i2")


def _image_map(image, map_type, target, notes):
    width, height = image.size
    if width <= 0 or height <= 0:  # asking for the size loads the image; a missing file has none
        notes.append(f"Image \"{image.name}\" has no pixels; its {map_type} map is not sent")
        return None
    channels = image.channels
    floats = np.empty(width * height * channels, np.float32)
    image.pixels.foreach_get(floats)
    if channels != 4:
        spread = np.ones((width * height, 4), np.float32)
        spread[:, :min(channels, 3)] = floats.reshape(-1, channels)[:, :3]
        if channels < 3:
            spread[:, 1:3] = spread[:, :1]
        floats = spread.reshape(-1)
    bits = materials.MAP_BITS[map_type]
    data = pixels.map_from_pixels(floats, width, height, bits, target.channel, target.invert)
    return wire.MapImage(width, height, bits, data, image.name[:MAP_NAME_CHARACTERS])


def collect_scene(context, objects):
    """(wire.HostScene, the names of its materials 1.. in order, notes for the user)."""
    depsgraph = context.evaluated_depsgraph_get()
    numbers = {}  # material name -> number
    material_list = []
    host_objects = []
    arrays = {name: [] for name, _ in wire.VERTEX_ARRAYS}
    arrays.update({name: [] for name, _, _ in wire.FACE_ARRAYS})
    vertex_total = face_total = 0
    notes = []
    for obj in objects:
        if obj.type != "MESH":
            continue
        evaluated = obj.evaluated_get(depsgraph)
        mesh = evaluated.to_mesh()
        try:
            mesh.transform(obj.matrix_world)
            if obj.matrix_world.determinant() < 0:
                mesh.flip_normals()
            mesh.calc_loop_triangles()
            vertex_count, face_count = len(mesh.vertices), len(mesh.loop_triangles)
            tris = mesh.loop_triangles
            co = _get(mesh.vertices, "co", vertex_count, "<f4", 3).reshape(-1, 3)[:, (0, 2, 1)]
            corners = _get(tris, "vertices", face_count, np.int32, 3).reshape(-1, 3) + vertex_total
            loops = _get(tris, "loops", face_count, np.int32, 3).reshape(-1, 3)
            slot_of_face = _get(tris, "material_index", face_count, np.int32)
            polygon_of_face = _get(tris, "polygon_index", face_count, np.int32)
            edge_flags = _visible_edges(mesh, loops, polygon_of_face)
            # Blender's own triangle normals, turned into Gessoria's axes. The swap of y and z
            # mirrors the mesh, so (B - A) x (C - A) over the same corners points the other way.
            normals = -_get(tris, "normal", face_count, "<f4", 3).reshape(-1, 3)[:, (0, 2, 1)]
            smooth = np.zeros(len(mesh.polygons), dtype=bool)
            mesh.polygons.foreach_get("use_smooth", smooth)
            uv_layer = mesh.uv_layers.active
            if uv_layer is not None:
                uv = _get(uv_layer.data, "uv", len(mesh.loops), np.float32, 2).reshape(-1, 2)[loops]
            else:
                notes.append(f"Object \"{obj.name}\" has no UV map; its texture coordinates are 0")
                uv = np.zeros((face_count, 3, 2), np.float32)
            slot_numbers = []
            for slot in evaluated.material_slots:
                material = slot.material.original if slot.material is not None else None
                if material is None:
                    slot_numbers.append(0)
                    continue
                if material.name not in numbers:
                    if len(material_list) == MAX_MATERIALS:
                        raise wire.BlockError(f"More materials than the {MAX_MATERIALS} a scene can carry")
                    material_list.append(material)
                    numbers[material.name] = len(material_list)
                slot_numbers.append(numbers[material.name])
            lookup = np.array(slot_numbers + [0], dtype="<i2")
            material_of_face = lookup[np.where((slot_of_face >= 0) & (slot_of_face < len(slot_numbers)),
                                               slot_of_face, len(slot_numbers))]
        finally:
            evaluated.to_mesh_clear()
        has_mapping = 1 if uv_layer is not None else 0
        host_objects.append(wire.HostObject(obj.name, vertex_count, face_count, face_total, vertex_total,
                                            has_mapping))
        for axis, (name, _) in enumerate(wire.VERTEX_ARRAYS):
            arrays[name].append(co[:, axis])
        fixed = _fixed_16_16(uv)
        for corner in range(3):
            arrays[f"u{corner}"].append(fixed[:, corner, 0])
            arrays[f"v{corner}"].append(fixed[:, corner, 1])
        for axis, name in enumerate(("nx", "ny", "nz")):
            arrays[name].append(normals[:, axis])
        for corner, name in enumerate("abc"):
            arrays[name].append(corners[:, corner].astype("<i4"))
        arrays["flags"].append(edge_flags)
        arrays["smoothing"].append(smooth[polygon_of_face].astype("<i4"))
        arrays["material"].append(material_of_face)
        vertex_total += vertex_count
        face_total += face_count
    dtypes = {name: "<f4" for name, _ in wire.VERTEX_ARRAYS}
    dtypes.update({name: ("<i2" if width == 2 else "<i4") for name, _, width in wire.FACE_ARRAYS})
    dtypes.update({"nx": "<f4", "ny": "<f4", "nz": "<f4"})
    joined = {name: np.ascontiguousarray(np.concatenate(parts) if parts else np.zeros(0), dtype=dtypes[name])
              for name, parts in arrays.items()}
    host_materials = []
    for material in material_list:
        host = wire.HostMaterial(material.name, materials.diffuse_colour(material))
        for map_type in wire.MAP_TYPES:
            target = materials.map_target(material, map_type)
            if target is None and map_type == "bump" and materials.has_normal_map(material):
                notes.append(f"Material \"{material.name}\": its normal map is not sent (Gessoria paints heights)")
            if target is not None:
                image_map = _image_map(target.image, map_type, target, notes)
                if image_map is not None:
                    host.maps[map_type] = image_map
        host_materials.append(host)
    scene = wire.HostScene(host_objects, host_materials, vertex_total, face_total, joined)
    return scene, [material.name for material in material_list], notes

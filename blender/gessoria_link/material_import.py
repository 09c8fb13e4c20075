"""Writing the maps Gessoria sends back into Blender's images.

Material i of the block is material i of the scene that was sent. With "overwrite" each map
goes into the image that feeds the material's input of its type (scaled to the map's size
first when the sizes differ), into the channels that image gives the input; without it, or
when no image feeds that input, into a new image named with the prefix, the material's name
and the map's type, which is then wired into the material. Images that live inside the
.blend file (new ones, and packed ones) are packed afresh when the file is saved, not at
each hand-over: packing compresses the whole image and costs more than writing it. Changed
images that come from files stay changed in memory until saved.
"""

import bpy
import numpy as np

from . import materials, pixels


def _write(image, image_map, target):
    width, height = image_map.width, image_map.height
    if tuple(image.size) != (width, height):
        image.scale(width, height)
    floats = None
    if image.channels == 4:
        # The channels the map does not write keep their values: a colour map leaves the
        # alpha that may carry the opacity map, and the other way round.
        floats = np.empty(width * height * 4, np.float32)
        image.pixels.foreach_get(floats)
    image.pixels.foreach_set(pixels.pixels_with_map(image_map, floats, target.channel, target.invert))
    image.update()
    if image.packed_file is not None or image.source == "GENERATED":
        _to_pack.add(image.name)


_to_pack = set()  # names of images written here that the .blend file must carry


@bpy.app.handlers.persistent
def pack_written_images(*_arguments):
    """Before the .blend file is saved: packs the images written since that live in it."""
    for name in sorted(_to_pack):
        image = bpy.data.images.get(name)
        if image is not None and image.is_dirty:
            image.pack()
    _to_pack.clear()


def apply_materials(returned, material_names):
    """Writes the returned maps; returns lines saying what changed and what could not."""
    lines = []
    if len(returned.materials) != len(material_names):
        lines.append(f"Gessoria sent {len(returned.materials)} materials for the {len(material_names)} "
                     "that were sent to it; only the first ones are matched")
    for name, material_maps in zip(material_names, returned.materials):
        material = bpy.data.materials.get(name)
        if material is None:
            if material_maps.maps:
                lines.append(f"Material \"{name}\" no longer exists; its maps were left out")
            continue
        for map_type, image_map in material_maps.maps.items():
            target = materials.map_target(material, map_type) if returned.overwrite else None
            if target is not None and target.image.source in ("FILE", "GENERATED"):
                _write(target.image, image_map, target)
                lines.append(f"{material.name}: {map_type} written into \"{target.image.name}\"")
                continue
            image = materials.make_image(materials.new_image_name(returned.prefix, material, map_type),
                                         image_map.width, image_map.height, map_type)
            # A new image holds what its input reads: roughness rather than shininess.
            _write(image, image_map, materials.MapTarget(image, pixels.RGB, map_type == "shininess"))
            if materials.wire_new_image(material, map_type, image):
                lines.append(f"{material.name}: {map_type} written into new image \"{image.name}\"")
            else:
                lines.append(f"{material.name}: {map_type} written into new image \"{image.name}\", "
                             "not wired in: the material has no Principled BSDF")
    return lines

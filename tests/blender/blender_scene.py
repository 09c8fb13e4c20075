"""A small Blender scene for the add-on's tests: a cube with its UV map and a material whose
Base Color is a 64 x 64 byte image with a different colour in every texel."""

import bpy
import numpy as np

SIZE = 64


def image_bytes():
    """The image's RGBA bytes, bottom row first (as Blender keeps them)."""
    y, x = np.mgrid[0:SIZE, 0:SIZE]
    rgba = np.empty((SIZE, SIZE, 4), np.uint8)
    rgba[..., 0] = x * 4
    rgba[..., 1] = y * 4
    rgba[..., 2] = (x * 7 + y * 13) % 256
    rgba[..., 3] = 255
    return rgba


def build_cube():
    """Empties the scene and returns the selected cube and its image."""
    bpy.ops.object.select_all(action="SELECT")
    bpy.ops.object.delete()
    bpy.ops.mesh.primitive_cube_add(size=2.0)
    cube = bpy.context.active_object
    image = bpy.data.images.new("CubeTexture", SIZE, SIZE, alpha=False)
    image.pixels.foreach_set((image_bytes().astype(np.float32) / np.float32(255.0)).reshape(-1))
    image.pack()
    material = bpy.data.materials.new("CubeMaterial")
    material.use_nodes = True
    tree = material.node_tree
    texture = tree.nodes.new("ShaderNodeTexImage")
    texture.image = image
    tree.links.new(texture.outputs["Color"], tree.nodes["Principled BSDF"].inputs["Base Color"])
    cube.data.materials.append(material)
    cube.select_set(True)
    return cube, image


def image_pixels(image):
    """The image's RGBA bytes, bottom row first."""
    floats = np.empty(len(image.pixels), np.float32)
    image.pixels.foreach_get(floats)
    return np.rint(floats * 255).astype(np.uint8).reshape(image.size[1], image.size[0], 4)

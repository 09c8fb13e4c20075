"""Where a material's maps live in its node tree, for sending them and for writing them back.

A map target is the image feeding one input of the material's Principled BSDF: Base Color
(the Colour map), Alpha (Opacity), the Height of a Bump node on Normal (Bump), Roughness
(Shininess, inverted: the image holds roughness = 255 - shininess) and Emission, called
Emission Color from Blender 4.0 (Self Illumination). The image may feed the input through
its colour output or its alpha output (then the map is the image's alpha channel), through
reroutes, and for Roughness through an Invert node (then the image holds shininess).
A normal map (tangent-space colours) cannot become a height map and is not sent; a bump map
that comes back is wired through a new Bump node in front of it.
"""

from dataclasses import dataclass

import bpy

from . import pixels

# The Principled BSDF inputs of each map type; the first one the node has is used.
MAP_INPUTS = {
    "colour": ("Base Color",),
    "opacity": ("Alpha",),
    "bump": ("Normal",),
    "shininess": ("Roughness",),
    "selfillum": ("Emission Color", "Emission"),
}
MAP_BITS = {"colour": 24, "opacity": 8, "bump": 8, "shininess": 8, "selfillum": 8}
# What a new image is called after the material's name and the prefix.
NEW_IMAGE_SUFFIX = {"colour": "Colour", "opacity": "Opacity", "bump": "Bump", "shininess": "Roughness",
                    "selfillum": "Emission"}


@dataclass
class MapTarget:
    image: object  # bpy.types.Image
    channel: str  # pixels.RGB or pixels.ALPHA
    invert: bool


def principled_node(material):
    """The Principled BSDF that shades the material, or None."""
    if material is None or not material.use_nodes or material.node_tree is None:
        return None
    nodes = material.node_tree.nodes
    for node in nodes:
        if node.type == "OUTPUT_MATERIAL" and node.is_active_output:
            surface = node.inputs.get("Surface")
            if surface is not None and surface.is_linked:
                shader = _source(surface)[0]
                if shader is not None and shader.type == "BSDF_PRINCIPLED":
                    return shader
    return next((node for node in nodes if node.type == "BSDF_PRINCIPLED"), None)


def map_input(node, map_type):
    for name in MAP_INPUTS[map_type]:
        socket = node.inputs.get(name)
        if socket is not None:
            return socket
    return None


def _source(socket):
    """The node and output socket feeding an input, past reroutes."""
    while socket.is_linked:
        link = socket.links[0]
        node, output = link.from_node, link.from_socket
        if node.type != "REROUTE":
            return node, output
        socket = node.inputs[0]
    return None, None


def map_target(material, map_type):
    """The image holding the material's map of map_type, or None."""
    node = principled_node(material)
    socket = node and map_input(node, map_type)
    if socket is None:
        return None
    source, output = _source(socket)
    invert = map_type == "shininess"
    if source is not None and map_type == "bump":
        if source.type != "BUMP":
            return None
        source, output = _source(source.inputs["Height"])
    if source is not None and source.type == "INVERT" and map_type == "shininess":
        invert = False
        source, output = _source(source.inputs["Color"])
    if source is None or source.type != "TEX_IMAGE" or source.image is None:
        return None
    return MapTarget(source.image, pixels.ALPHA if output.name == "Alpha" else pixels.RGB, invert)


def has_normal_map(material):
    """True when a Normal Map node feeds the material's Normal input."""
    node = principled_node(material)
    socket = node and map_input(node, "bump")
    source = socket and _source(socket)[0]
    return source is not None and source.type == "NORMAL_MAP"


def diffuse_colour(material):
    """0x00RRGGBB of the material's base colour in display (sRGB) bytes."""
    node = principled_node(material)
    if node is not None:
        colour = node.inputs["Base Color"].default_value
    elif material is not None:
        colour = material.diffuse_color
    else:
        return 0xC0C0C0

    def to_byte(linear):
        linear = min(max(linear, 0.0), 1.0)
        srgb = linear * 12.92 if linear <= 0.0031308 else 1.055 * linear ** (1 / 2.4) - 0.055
        return int(srgb * 255 + 0.5)

    r, g, b = (to_byte(c) for c in colour[:3])
    return r << 16 | g << 8 | b


def wire_new_image(material, map_type, image):
    """Feeds image into the material's input of map_type, replacing what fed it. Returns
    False when the material has no Principled BSDF to feed."""
    if not material.use_nodes:
        material.use_nodes = True
    node = principled_node(material)
    if node is None:
        return False
    tree = material.node_tree
    texture = tree.nodes.new("ShaderNodeTexImage")
    texture.image = image
    texture.location = (node.location.x - 600, node.location.y - 300 * list(MAP_INPUTS).index(map_type))
    socket = map_input(node, map_type)
    if map_type == "bump":
        bump = tree.nodes.new("ShaderNodeBump")
        bump.location = (node.location.x - 250, texture.location.y)
        previous = _source(socket)[1]
        if previous is not None:
            tree.links.new(previous, bump.inputs["Normal"])
        tree.links.new(texture.outputs["Color"], bump.inputs["Height"])
        tree.links.new(bump.outputs["Normal"], socket)
        return True
    tree.links.new(texture.outputs["Color"], socket)
    if map_type == "selfillum":
        strength = node.inputs.get("Emission Strength")
        if strength is not None and strength.default_value == 0.0:
            strength.default_value = 1.0
    if map_type == "opacity":
        _show_transparency(material)
    return True


def _show_transparency(material):
    """Lets the viewport show the new opacity map: Blender 4.2 replaced the material's blend
    mode by its surface render method."""
    if hasattr(material, "surface_render_method"):
        material.surface_render_method = "BLENDED"
    elif getattr(material, "blend_method", None) == "OPAQUE":
        material.blend_method = "BLEND"


def is_colour_data(map_type):
    return map_type == "colour"


def new_image_name(prefix, material, map_type):
    return f"{prefix}{material.name}_{NEW_IMAGE_SUFFIX[map_type]}"


def make_image(name, width, height, map_type):
    image = bpy.data.images.new(name, width, height, alpha=False)
    if not is_colour_data(map_type):
        # Before any pixel is written: a generated image is made anew when this changes.
        image.colorspace_settings.name = "Non-Color"
    return image

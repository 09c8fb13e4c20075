#pragma once
// Reading models of other programs (OBJ with its MTL, glTF and GLB, FBX, Collada, PLY, STL)
// into a Scene through assimp, the way the 3D Studio reader fills one.
//
// Contract. Meshes are triangulated (points and lines are dropped); every node's transform is
// applied to the meshes it places, and each placed mesh becomes one object named after its
// node (what modelling programs call the object; else after the mesh), cut to the object
// name field and made unique (".2", ".3" ... in place of its last characters). The first UV channel gives
// the corners' 16.16 texture coordinates; a mesh without one is mapped flat across the two
// longest sides of its bounding box, and the user is told. A face keeps its mesh's material.
//
// Smoothing follows the file exactly: within an object, corners that share both position and
// normal (bit for bit) become one scene vertex and every face gets smoothing word 1, so
// ComputeNormals smooths exactly the faces whose normals the file joins at a vertex and keeps
// every edge hard where the file's normals differ. A mesh without normals is smoothed
// wherever its faces share a position.
//
// Materials no placed mesh uses are left out. Materials: name, diffuse (or base) colour, transparency from the opacity, shininess from
// 1 - roughness (or the square root of a Phong exponent over 1000), self-illumination from
// the emissive colour, two-sided; images of base colour/diffuse (Colour), opacity, height or
// displacement (Bump), shininess and emissive (Self Illumination); without a height image a
// normal map is the Bump image, converted into heights when loaded, and without a shininess
// image a roughness map is the Shininess image, inverted (scene/MapConversion.h). An image
// stored inside the model is kept with its reference (stored texels as the BMP file they
// would be); one named by path is resolved against the model's directory, and its bare name
// goes to the Map Paths when it is not there.
//
// The scene is centred and its face normals are made (ComputeNormals is then told they are
// present); the corner normals are left to ComputeNormals.
//
// Counts are checked before the scene is allocated: totals within 32 bits, fewer than 32767
// materials, every face corner inside its mesh, every position finite.

#include <cstdint>
#include <span>
#include <string>

namespace gessoria {

struct Scene;
class UserInteraction;

// Whether the file extension (without its dot, any case) is one this reader takes.
bool IsModelExtension(const std::string& extension);

// 0 on success; otherwise nonzero with `reason` saying why (assimp's own words where assimp
// refused the file). The scene must be freshly reset.
int ReadModelFile(const std::string& path, Scene& scene, UserInteraction& ui, std::string& reason);

// The same over a file's bytes in memory; `extension` tells assimp which reader to try first.
// Files the model refers to (an MTL, images) are not reachable from memory.
int ReadModelData(std::span<const std::uint8_t> file, const std::string& extension, Scene& scene, UserInteraction& ui,
                  std::string& reason);

} // namespace gessoria

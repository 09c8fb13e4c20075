// The anchor for render_benchmark: how long Mesa's llvmpipe software OpenGL takes to draw the
// frame RenderDenseScene draws at the smooth textured level. The dense sample scene at
// 1920 x 1080, Front view fitted, into an off-screen framebuffer: depth-tested, back faces
// culled, each face's colour map sampled nearest and multiplied by a Lambert intensity worked
// out per vertex from the corner normals. Geometry and maps are uploaded once; each frame turns
// the view by one AngleUnit with a uniform matrix and waits for the drawing to finish.
//
// The machine's speed drifts from hour to hour, so run it beside render_benchmark. llvmpipe on
// two threads is chosen unless LIBGL_ALWAYS_SOFTWARE, GALLIUM_DRIVER or LP_NUM_THREADS are set.
// Set GESSORIA_DENSE_SCENE to use another scene; its maps are searched beside it.

#include "MendedScene.h"
#include "scene/Scene.h"
#include "view3d/Lighting.h"
#include "view3d/Projection.h"
#include "scene/TextureSeam.h"

#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/glcorearb.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
uniform mat4 transform;
uniform mat3 rotation;
uniform vec3 light;
uniform vec2 lighting;
out vec2 uv;
out float intensity;
void main()
{
    gl_Position = transform * vec4(position, 1.0);
    intensity = lighting.x + lighting.y * max(dot(rotation * normal, light), 0.0);
    uv = texCoord;
})";

const char* const kFragmentShader = R"(#version 330 core
uniform sampler2D colourMap;
in vec2 uv;
in float intensity;
out vec4 colour;
void main()
{
    colour = vec4(texture(colourMap, uv).rgb * intensity, 1.0);
})";

struct Vertex {
    float position[3];
    float normal[3];
    float uv[2];
};

// One material's faces: a range of the index buffer and the map they sample.
struct Batch {
    std::size_t first = 0;
    GLsizei count = 0;
    GLuint texture = 0;
    bool twoSided = false;
};

struct Anchor {
    gessoria::Scene scene;
    float radius = 0.0f;  // no vertex is farther from the origin: the depth range
    std::vector<Batch> batches;
    GLuint program = 0;
    GLint transform = -1, rotation = -1;
    std::string renderer;
    std::string error;  // empty when ready
};

// A context on Mesa's surfaceless platform, or on the default display with a small pbuffer.
std::string CreateContext()
{
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    setenv("GALLIUM_DRIVER", "llvmpipe", 0);
    setenv("LP_NUM_THREADS", "2", 0);

    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    const bool surfaceless = clientExtensions != nullptr && std::strstr(clientExtensions, "EGL_MESA_platform_surfaceless");
    EGLDisplay display = surfaceless ? eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                                     : eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return "cannot open an EGL display";
    if (!eglBindAPI(EGL_OPENGL_API))
        return "EGL has no desktop OpenGL";

    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1)
        return "no EGL configuration renders desktop OpenGL";
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                        EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
        return "cannot create an OpenGL 3.3 core context";
    EGLSurface surface = EGL_NO_SURFACE;
    if (!surfaceless) {
        const EGLint pbufferAttributes[] = {EGL_WIDTH, 16, EGL_HEIGHT, 16, EGL_NONE};
        surface = eglCreatePbufferSurface(display, config, pbufferAttributes);
        if (surface == EGL_NO_SURFACE)
            return "cannot create an EGL pbuffer";
    }
    if (!eglMakeCurrent(display, surface, surface, context))
        return "cannot make the OpenGL context current";
    return {};
}

GLuint Compile(GLenum type, const char* source, std::string& error)
{
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        error = std::string("shader: ") + log;
    }
    return shader;
}

std::string CreateProgram(Anchor& anchor)
{
    std::string error;
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader, error);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader, error);
    if (!error.empty())
        return error;
    anchor.program = glCreateProgram();
    glAttachShader(anchor.program, vertex);
    glAttachShader(anchor.program, fragment);
    glLinkProgram(anchor.program);
    GLint ok = 0;
    glGetProgramiv(anchor.program, GL_LINK_STATUS, &ok);
    if (!ok)
        return "cannot link the shaders";
    glUseProgram(anchor.program);
    anchor.transform = glGetUniformLocation(anchor.program, "transform");
    anchor.rotation = glGetUniformLocation(anchor.program, "rotation");
    // The faces drawn have normals ((B - A) x (C - A)) pointing toward smaller depth, away
    // from the viewer; the side drawn is lit, so the light is turned round to meet them.
    const gessoria::LightVector light = gessoria::LightDirection(anchor.scene.camera);
    const gessoria::LightingSettings lighting;
    glUniform3f(glGetUniformLocation(anchor.program, "light"), -light.x, -light.y, -light.z);
    glUniform2f(glGetUniformLocation(anchor.program, "lighting"), static_cast<float>(lighting.ambientLevel) / 65536.0f,
                static_cast<float>(lighting.diffuseLevel) / 65536.0f);
    glUniform1i(glGetUniformLocation(anchor.program, "colourMap"), 0);
    return {};
}

// The material's Renderer Layer, or a single texel of its colour when it has no layers.
GLuint UploadColourMap(const gessoria::Material& material)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // CDIB rows are padded to four bytes
    const gessoria::LayerStack& stack = material.stack(gessoria::MapType::Colour);
    if (stack.count() > 0 && stack[0].image.bitCount() == 24) {
        const gessoria::CDIB& image = stack[0].image;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, image.width(), image.height(), 0, GL_BGR, GL_UNSIGNED_BYTE, image.bits().data());
    } else {
        const auto c = static_cast<std::uint32_t>(material.colour);
        const std::uint8_t texel[4] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16), 0};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 1, 1, 0, GL_BGR, GL_UNSIGNED_BYTE, texel);
    }
    return texture;
}

struct VertexHash {
    std::size_t operator()(const Vertex& v) const
    {
        const auto words = std::bit_cast<std::array<std::uint32_t, 8>>(v);
        std::size_t h = 0;
        for (const std::uint32_t w : words)
            h = h * 1000003u ^ w;
        return h;
    }
};

bool operator==(const Vertex& a, const Vertex& b) { return std::memcmp(&a, &b, sizeof(Vertex)) == 0; }

// One static vertex buffer of the distinct corners (a vertex with its normal and texture
// coordinates) and one index buffer, three indexes a face, faces grouped by material.
void UploadMesh(Anchor& anchor)
{
    const gessoria::Scene& s = anchor.scene;
    std::vector<Vertex> vertices;
    std::vector<GLuint> indexes;
    std::unordered_map<Vertex, GLuint, VertexHash> known;
    indexes.reserve(static_cast<std::size_t>(s.faceCount) * 3);
    for (std::size_t m = 0; m < s.materials.size(); ++m) {
        Batch batch;
        batch.first = indexes.size();
        for (std::size_t f = 0; f < static_cast<std::size_t>(s.faceCount); ++f) {
            if (static_cast<std::size_t>(s.faceMaterial[f]) != m)
                continue;
            std::int64_t u[3] = {s.faceU0[f], s.faceU1[f], s.faceU2[f]};
            std::int64_t v[3] = {s.faceV0[f], s.faceV1[f], s.faceV2[f]};
            gessoria::RepairSeam(u, (s.faceFlags[f] & 0x08) != 0);
            gessoria::RepairSeam(v, (s.faceFlags[f] & 0x10) != 0);
            const std::int32_t corners[3] = {s.faceVertexA[f], s.faceVertexB[f], s.faceVertexC[f]};
            for (std::size_t k = 0; k < 3; ++k) {
                const auto i = static_cast<std::size_t>(corners[k]);
                const auto& n = s.cornerNormals[f];
                const Vertex corner{{s.positionX[i], s.positionY[i], s.positionZ[i]},
                                    {n[3 * k], n[3 * k + 1], n[3 * k + 2]},
                                    {static_cast<float>(u[k]) / 65536.0f, static_cast<float>(v[k]) / 65536.0f}};
                const auto [at, added] = known.try_emplace(corner, static_cast<GLuint>(vertices.size()));
                if (added)
                    vertices.push_back(corner);
                indexes.push_back(at->second);
            }
        }
        batch.count = static_cast<GLsizei>(indexes.size() - batch.first);
        batch.texture = UploadColourMap(s.materials[m]);
        batch.twoSided = s.materials[m].twoSided != 0;
        if (batch.count > 0)
            anchor.batches.push_back(batch);
    }
    for (const Vertex& v : vertices)
        anchor.radius = std::max(anchor.radius, std::sqrt(v.position[0] * v.position[0] + v.position[1] * v.position[1] +
                                                          v.position[2] * v.position[2]));
    anchor.radius *= 1.01f;

    GLuint array = 0, buffers[2] = {};
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glGenBuffers(2, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexes.size() * sizeof(GLuint)), indexes.data(), GL_STATIC_DRAW);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, position)));
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, normal)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(offsetof(Vertex, uv)));
    for (GLuint a = 0; a < 3; ++a)
        glEnableVertexAttribArray(a);
    std::fprintf(stderr, "llvmpipe anchor: %zu faces, %zu distinct corners\n", indexes.size() / 3, vertices.size());
}

std::string CreateFramebuffer()
{
    GLuint framebuffer = 0, buffers[2] = {};
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(2, buffers);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kWidth, kHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, kWidth, kHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return "the off-screen framebuffer is incomplete";
    glViewport(0, 0, kWidth, kHeight);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    // The faces our renderer draws run counter-clockwise on screen with Y up: the default front.
    glCullFace(GL_BACK);
    return {};
}

Anchor& TheAnchor()
{
    static const std::unique_ptr<Anchor> anchor = [] {
        auto a = std::make_unique<Anchor>();
        if (!gessoria::bench::OpenDenseScene(a->scene, kWidth, kHeight)) {
            a->error = "cannot open the dense scene";
            return a;
        }
        a->error = CreateContext();
        if (a->error.empty())
            a->error = CreateProgram(*a);
        if (a->error.empty()) {
            UploadMesh(*a);
            a->error = CreateFramebuffer();
        }
        if (a->error.empty() && glGetError() != GL_NO_ERROR)
            a->error = "OpenGL reported an error while uploading the scene";
        if (a->error.empty()) {
            a->renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
            std::fprintf(stderr, "GL_RENDERER: %s\n", a->renderer.c_str());
        }
        return a;
    }();
    return *anchor;
}

// The view transform of Projection.h (about X, then Y, then Z; pan; scale; centred, Y down,
// larger depth nearer) as a clip-space matrix, depth spread over the scene's radius.
void SetViewTransform(const Anchor& anchor)
{
    const gessoria::Camera& camera = anchor.scene.camera;
    const float a = gessoria::TransformRadians(camera.angleX), b = gessoria::TransformRadians(camera.angleY),
                c = gessoria::TransformRadians(camera.angleZ);
    const float sa = std::sin(a), ca = std::cos(a), sb = std::sin(b), cb = std::cos(b), sc = std::sin(c), cc = std::cos(c);
    const float rx[3][3] = {{1, 0, 0}, {0, ca, -sa}, {0, sa, ca}};
    const float ry[3][3] = {{cb, 0, -sb}, {0, 1, 0}, {sb, 0, cb}};
    const float rz[3][3] = {{cc, -sc, 0}, {sc, cc, 0}, {0, 0, 1}};
    float ryx[3][3] = {}, r[3][3] = {};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                ryx[i][j] += ry[i][k] * rx[k][j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                r[i][j] += rz[i][k] * ryx[k][j];

    const float kx = 2.0f * camera.scale / kWidth, ky = -2.0f * camera.scale / kHeight, kz = -1.0f / anchor.radius;
    const float rowScale[3] = {kx, ky, kz};
    const float pan[3] = {camera.panX, camera.panY, 0.0f};
    float clip[16] = {};  // column-major
    float rotation[9] = {};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            clip[4 * j + i] = rowScale[i] * r[i][j];
            rotation[3 * j + i] = r[i][j];
        }
        clip[12 + i] = rowScale[i] * pan[i];
    }
    clip[15] = 1.0f;
    glUniformMatrix4fv(anchor.transform, 1, GL_FALSE, clip);
    glUniformMatrix3fv(anchor.rotation, 1, GL_FALSE, rotation);
}

void LlvmpipeDenseScene(benchmark::State& state)
{
    Anchor& anchor = TheAnchor();
    if (!anchor.error.empty()) {
        state.SkipWithError(("llvmpipe anchor: " + anchor.error).c_str());
        return;
    }
    state.SetLabel(anchor.renderer);
    const float grey = gessoria::LightingSettings{}.backgroundColour / 255.0f;
    glClearColor(grey, grey, grey, 1.0f);
    for (auto _ : state) {
        anchor.scene.camera.angleY += 1;
        SetViewTransform(anchor);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (const Batch& batch : anchor.batches) {
            if (batch.twoSided)
                glDisable(GL_CULL_FACE);
            else
                glEnable(GL_CULL_FACE);
            glBindTexture(GL_TEXTURE_2D, batch.texture);
            glDrawElements(GL_TRIANGLES, batch.count, GL_UNSIGNED_INT, reinterpret_cast<void*>(batch.first * sizeof(GLuint)));
        }
        glFinish();
    }
    anchor.scene.camera.angleY = 0;
}
BENCHMARK(LlvmpipeDenseScene)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0)->Repetitions(3)
    ->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();

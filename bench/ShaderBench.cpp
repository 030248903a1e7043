// The shader preprocessor over the engine's own sources, with the two
// directives the device registers: what every program creation pays once.
#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/UniformManager.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace Effect = KyE::Graphic::Effect;

namespace
{
// Copies of the built-in 2D and text vertex sources, and a camera shader
// that pulls in the uniform block declarations.
// clang-format off
const char* const DRAW_2D_VERTEX = "#version 330\n#name Draw 2D Transformation\nlayout(location=0) in vec2 in_Position;out vec2 vs_TexCoord0;/* Transformation matrix */uniform vec3 vTransform2x3_1;uniform vec3 vTransform2x3_2;void main(void){/* Rescale, Rotate and Translate the input position */gl_Position = vec4(in_Position.x*vTransform2x3_1.x+in_Position.y*vTransform2x3_1.y+vTransform2x3_1.z,\t\t\t\t\tin_Position.x*vTransform2x3_2.x+in_Position.y*vTransform2x3_2.y+vTransform2x3_2.z, 0.0, 1.0);vs_TexCoord0 = in_Position;}";
const char* const TEXT_VERTEX = "#version 330\n#name Transform Text VS\nlayout(location=0) in vec2 in_Position;\nout vec2 vs_TexCoord0;\n/* Transformation matrix */\nuniform vec3 vTransform2x3_1;\nuniform vec3 vTransform2x3_2;\nuniform vec4 vTexCoords;\nvoid main()\n{\n/* Rescale, Rotate and Translate the input position */\ngl_Position = vec4(in_Position.x*vTransform2x3_1.x+in_Position.y*vTransform2x3_1.y+vTransform2x3_1.z,\n\t\t\t\t\tin_Position.x*vTransform2x3_2.x+in_Position.y*vTransform2x3_2.y+vTransform2x3_2.z, 0.0, 1.0);\n/* Deriverate which texcoord is used from the position */\nvs_TexCoord0.x = vTexCoords.x+(vTexCoords.z - vTexCoords.x)*in_Position.x;\nvs_TexCoord0.y = vTexCoords.y+(vTexCoords.w - vTexCoords.y)*in_Position.y;\n}\n";
const char* const CAMERA_VERTEX = "#version 330\n#name Camera VS\n#header uniforms\nlayout(location=0) in vec3 in_Position;"
                                  "void main(void){gl_Position = mProjection * mView * vec4(in_Position, 1.0);}";
// clang-format on

const Effect::ShaderReplacement uniformHeader = {UniformManager::declarations, UniformManager::DECLARATIONS_LENGTH};
const Effect::ShaderReplacement nameDirective = {"//", 2};

void Preprocess(benchmark::State& state, const char* source)
{
    Effect::ShaderReplacements::Add("#header uniforms", &uniformHeader);
    Effect::ShaderReplacements::Add("#name", &nameDirective);
    for (auto _ : state)
    {
        char* out = Effect::PreprocessShaderSource(source);
        benchmark::DoNotOptimize(out);
        free(out);
    }
    Effect::ShaderReplacements::Clear();
}
BENCHMARK_CAPTURE(Preprocess, draw2d_vertex, DRAW_2D_VERTEX);
BENCHMARK_CAPTURE(Preprocess, text_vertex, TEXT_VERTEX);
BENCHMARK_CAPTURE(Preprocess, camera_vertex_with_uniform_header, CAMERA_VERTEX);
} // namespace

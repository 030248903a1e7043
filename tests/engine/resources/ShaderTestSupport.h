#pragma once
// What the shader and uniform block GL tests share: the engine's own shader
// sources, the start-up that the device does for shaders, and a unit quad.
#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/UniformManager.h"
#include <GL/glew.h>

namespace ShaderTest
{
// clang-format off
inline const char* const DRAW_2D_VS =
    "#version 330\n#name Draw 2D Transformation\nlayout(location=0) in vec2 in_Position;out vec2 vs_TexCoord0;/* Transformation matrix */uniform vec3 vTransform2x3_1;uniform vec3 vTransform2x3_2;void main(void){/* Rescale, Rotate and Translate the input position */gl_Position = vec4(in_Position.x*vTransform2x3_1.x+in_Position.y*vTransform2x3_1.y+vTransform2x3_1.z,\t\t\t\t\tin_Position.x*vTransform2x3_2.x+in_Position.y*vTransform2x3_2.y+vTransform2x3_2.z, 0.0, 1.0);vs_TexCoord0 = in_Position;}";
inline const char* const TEXTURE_ALPHATEST_FS =
    "#version 330\n#name Texture+Alphatest FS\nuniform sampler2D Texture0;in vec2 vs_TexCoord0;out vec4 fs_out_Color;void main(void){fs_out_Color = texture(Texture0, vs_TexCoord0);if(fs_out_Color.a < 0.2) discard;}";
inline const char* const CONST_COPY_COLOR_FS =
    "#version 330#name Const Copy Color FS\nuniform vec4 vColor;out vec4 fs_out_Color;void main(void){fs_out_Color = vColor;}";
inline const char* const TRANSFORM_TEXT_VS =
    "#version 330\n#name Transform Text VS\nlayout(location=0) in vec2 in_Position;\nout vec2 vs_TexCoord0;\n/* Transformation matrix */\nuniform vec3 vTransform2x3_1;\nuniform vec3 vTransform2x3_2;\nuniform vec4 vTexCoords;\nvoid main()\n{\n/* Rescale, Rotate and Translate the input position */\ngl_Position = vec4(in_Position.x*vTransform2x3_1.x+in_Position.y*vTransform2x3_1.y+vTransform2x3_1.z,\n\t\t\t\t\tin_Position.x*vTransform2x3_2.x+in_Position.y*vTransform2x3_2.y+vTransform2x3_2.z, 0.0, 1.0);\n/* Deriverate which texcoord is used from the position */\nvs_TexCoord0.x = vTexCoords.x+(vTexCoords.z - vTexCoords.x)*in_Position.x;\nvs_TexCoord0.y = vTexCoords.y+(vTexCoords.w - vTexCoords.y)*in_Position.y;\n}\n";
inline const char* const DRAW_TEXT_FS =
    "#version 330#name Draw Text FS\nuniform sampler2D Texture0;uniform vec3 vColor;in vec2 vs_TexCoord0;out vec4 out_Color;void main(){float r = texture(Texture0, vs_TexCoord0).r;if(r < 0.2) discard;out_Color = vec4(vColor,r);}";
// clang-format on

// The directives and the uniform blocks, as the device sets them up.
inline void InitShaderServices()
{
    static const KyE::Graphic::Effect::ShaderReplacement uniformHeader = {UniformManager::declarations,
                                                                          UniformManager::DECLARATIONS_LENGTH};
    static const KyE::Graphic::Effect::ShaderReplacement nameDirective = {"//", 2};
    KyE::Graphic::Effect::ShaderReplacements::Add("#header uniforms", &uniformHeader);
    KyE::Graphic::Effect::ShaderReplacements::Add("#name", &nameDirective);
    if (UniformManager::blocks == nullptr)
        UniformManager::Init();
}

// The unit square (0,0)-(1,1) at attribute 0, drawn as a triangle strip.
class UnitQuad
{
public:
    UnitQuad()
    {
        const float corners[8] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(1, &vbo);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    ~UnitQuad()
    {
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDeleteBuffers(1, &vbo);
        glDeleteVertexArrays(1, &vao);
    }
    void Draw() const
    {
        glBindVertexArray(vao);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    UnitQuad(const UnitQuad&) = delete;
    UnitQuad& operator=(const UnitQuad&) = delete;

private:
    GLuint vao = 0;
    GLuint vbo = 0;
};
} // namespace ShaderTest

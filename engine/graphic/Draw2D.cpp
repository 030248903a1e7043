#include "engine/graphic/Draw2D.h"

#include "engine/core/BindingCache.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/Shader.h"
#include "engine/resources/Texture.h"

using KyE::Graphic::Effect::Shader;

namespace Draw2D
{
GLuint quadVertexArray = 0;

namespace
{
GLuint quadVertexBuffer = 0;

Shader* textureProgram = nullptr;
GLint textureRow1Location = -1;
GLint textureRow2Location = -1;
GLint textureSamplerLocation = -1;

Shader* colourProgram = nullptr;
GLint colourRow1Location = -1;
GLint colourRow2Location = -1;
GLint colourLocation = -1;

// clang-format off
const char* const VERTEX_SOURCE = "#version 330\n#name Draw 2D Transformation\nlayout(location=0) in vec2 in_Position;out vec2 vs_TexCoord0;/* Transformation matrix */uniform vec3 vTransform2x3_1;uniform vec3 vTransform2x3_2;void main(void){/* Rescale, Rotate and Translate the input position */gl_Position = vec4(in_Position.x*vTransform2x3_1.x+in_Position.y*vTransform2x3_1.y+vTransform2x3_1.z,\t\t\t\t\tin_Position.x*vTransform2x3_2.x+in_Position.y*vTransform2x3_2.y+vTransform2x3_2.z, 0.0, 1.0);vs_TexCoord0 = in_Position;}";
const char* const TEXTURE_FRAGMENT_SOURCE = "#version 330\n#name Texture+Alphatest FS\nuniform sampler2D Texture0;in vec2 vs_TexCoord0;out vec4 fs_out_Color;void main(void){fs_out_Color = texture(Texture0, vs_TexCoord0);if(fs_out_Color.a < 0.2) discard;}";
const char* const COLOUR_FRAGMENT_SOURCE = "#version 330#name Const Copy Color FS\nuniform vec4 vColor;out vec4 fs_out_Color;void main(void){fs_out_Color = vColor;}";
// clang-format on

bool Usable(const Shader* program)
{
    return program != nullptr && program->program != 0;
}

// The unit square's buffer and its vertex array, which stays bound.
void MakeQuad()
{
    static const float corners[8] = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
    glGenVertexArrays(1, &quadVertexArray);
    glBindVertexArray(quadVertexArray);
    glGenBuffers(1, &quadVertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, quadVertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners, GL_STATIC_DRAW);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(0);
}

void LookUpTextureUniforms()
{
    if (Usable(textureProgram))
    {
        textureRow1Location = textureProgram->GetUniformLocation("vTransform2x3_1");
        textureRow2Location = textureProgram->GetUniformLocation("vTransform2x3_2");
        textureSamplerLocation = textureProgram->GetUniformLocation("Texture0");
        // A program keeps its uniforms: the sampler reads unit 0 for good,
        // so no draw has to say so again.
        glUseProgram(textureProgram->program);
        glUniform1i(textureSamplerLocation, 0);
        glUseProgram(0);
    }
}

void LookUpColourUniforms()
{
    if (Usable(colourProgram))
    {
        colourRow1Location = colourProgram->GetUniformLocation("vTransform2x3_1");
        colourRow2Location = colourProgram->GetUniformLocation("vTransform2x3_2");
        colourLocation = colourProgram->GetUniformLocation("vColor");
    }
}
} // namespace

void Init()
{
    MakeQuad();
    textureProgram = KyE::ResourceManager::GetShader(VERTEX_SOURCE, TEXTURE_FRAGMENT_SOURCE);
    LookUpTextureUniforms();
    colourProgram = KyE::ResourceManager::GetShader(VERTEX_SOURCE, COLOUR_FRAGMENT_SOURCE);
    LookUpColourUniforms();
}

int Recreate(int& failures)
{
    // The old objects went with the context; their names are forgotten, not
    // deleted, since the new context may have given them to other objects.
    quadVertexArray = 0;
    quadVertexBuffer = 0;
    MakeQuad();
    using KyE::Graphic::Effect::RecreateProgram;
    return RecreateProgram(textureProgram, LookUpTextureUniforms, failures) +
           RecreateProgram(colourProgram, LookUpColourUniforms, failures);
}

void Shutdown()
{
    if (quadVertexArray != 0)
    {
        glBindVertexArray(quadVertexArray);
        glDisableVertexAttribArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glDeleteBuffers(1, &quadVertexBuffer);
        glBindVertexArray(0);
        glDeleteVertexArrays(1, &quadVertexArray);
    }
    quadVertexBuffer = 0;
    quadVertexArray = 0;
    delete colourProgram;
    colourProgram = nullptr;
    delete textureProgram;
    textureProgram = nullptr;
    textureRow1Location = textureRow2Location = textureSamplerLocation = -1;
    colourRow1Location = colourRow2Location = colourLocation = -1;
}

bool IsReady()
{
    return quadVertexArray != 0 && Usable(textureProgram) && Usable(colourProgram);
}

void DrawTexturedRect(const KyE::Graphic::Material::Texture* texture, float x, float y, float width, float height)
{
    if (texture == nullptr || !Usable(textureProgram))
        return;
    BindingCache::BindTexture(texture->target, texture->textureName);
    glUseProgram(textureProgram->program);
    glBindVertexArray(quadVertexArray);
    glUniform3f(textureRow1Location, width, 0.0f, x);
    glUniform3f(textureRow2Location, 0.0f, height, y);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

void DrawBevelRect(const Matrix2x3& transform, const float colour[4])
{
    if (!Usable(colourProgram))
        return;
    const float a = transform.a, b = transform.b, c = transform.c;
    const float d = transform.d, e = transform.e, f = transform.f;
    glUseProgram(colourProgram->program);
    glBindVertexArray(quadVertexArray);

    // Corners 1, 2, 3: the lower-right half, darker.
    glUniform3f(colourRow1Location, a, b, c);
    glUniform3f(colourRow2Location, d, e, f);
    glUniform4f(colourLocation, colour[0] * 0.8f, colour[1] * 0.8f, colour[2] * 0.8f, colour[3] * 0.8f);
    glDrawArrays(GL_TRIANGLES, 0, 3);

    // Corners 3, 4, 1: the same first three vertices through the square
    // turned half round, (u, v) -> (1 - u, 1 - v), so the one four-vertex
    // buffer serves without an index buffer.
    glUniform3f(colourRow1Location, -a, -b, a + b + c);
    glUniform3f(colourRow2Location, -d, -e, d + e + f);
    glUniform4f(colourLocation, colour[0] * 1.2f, colour[1] * 1.2f, colour[2] * 1.2f, colour[3] * 1.2f);
    glDrawArrays(GL_TRIANGLES, 0, 3);

    // The inner face, shrunk to 90 % about the centre: moved by 5 % of both
    // edge vectors, so that a turned panel keeps its face inside it too.
    glUniform3f(colourRow1Location, 0.9f * a, 0.9f * b, c + 0.05f * (a + b));
    glUniform3f(colourRow2Location, 0.9f * d, 0.9f * e, f + 0.05f * (d + e));
    glUniform4f(colourLocation, colour[0], colour[1], colour[2], colour[3]);
    glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}
} // namespace Draw2D

#pragma once
#include "engine/resources/Resource.h"
#include <GL/glew.h>

// Shader stages, shared resources made from a file or from source text, and
// the programs linked from them. Main thread only.
namespace KyE
{
namespace Graphic
{
namespace Effect
{
class SingleShader : public ResourceManager::Resource
{
public:
    // A text containing "#version" is source; anything else is a file path.
    // Null makes an empty stage. shaderName stays 0 when none could be made.
    SingleShader(const char* pathOrSource, GLenum type);
    int GetType() const override { return TYPE_SHADER_STAGE; }
    ~SingleShader() override;
    // Compiles the source or file it is registered under again.
    bool Recreate() override;

    // Preprocesses and compiles source; displayName names the stage in the
    // log when the source has no "#name". A stage that fails to compile keeps
    // its shader object.
    void LoadShaderDirect(const char* source, GLenum type, const char* displayName);

    GLuint shaderName;
    GLenum type; // the stage, as given at construction

private:
    void Load(const char* pathOrSource);
};

class Shader
{
public:
    // Takes over one reference of each non-null stage and links at once.
    Shader(SingleShader* vertexStage, SingleShader* geometryStage, SingleShader* fragmentStage);
    // Releases the stages and deletes the program.
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // No program without a vertex and a fragment shader. A failed link keeps
    // its program object; the uniform blocks are bound either way.
    void Link(GLuint vertexName, GLuint geometryName, GLuint fragmentName);
    // -1 when the program has no such active uniform.
    GLint GetUniformLocation(const char* uniformName);
    // Links a new program from the stages after the context lost the old
    // one (re-create the stages first). The owner looks its uniforms up
    // again. True when the program links.
    bool Recreate();

    GLuint program;
    SingleShader* vertexStage;
    SingleShader* geometryStage;
    SingleShader* fragmentStage;

private:
    void LinkStages();
};

// Recreate for a program that may be null, then its owner's lookUp of the
// uniforms (may be null too). Returns 1 when it links; a program that does
// not is added to failures.
int RecreateProgram(Shader* program, void (*lookUp)(), int& failures);
} // namespace Effect
} // namespace Graphic
} // namespace KyE

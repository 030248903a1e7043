#include "engine/resources/Shader.h"

#include "engine/containers/HashMap.h"
#include "engine/core/Log.h"
#include "engine/resources/ResourceManager.h"
#include "engine/resources/ShaderReplacements.h"
#include "engine/resources/UniformManager.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace KyE
{
namespace Graphic
{
namespace Effect
{
namespace
{
constexpr int LINK_LOG_SIZE = 512;

// Reads a whole file into a zero-terminated heap text; null (logged) on failure.
char* ReadShaderFile(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
    {
        LogError("[SingleShader::SingleShader] Could not open shader file: %s", path);
        return nullptr;
    }
    long size = -1;
    if (fseek(file, 0, SEEK_END) == 0)
        size = ftell(file);
    if (size < 0 || fseek(file, 0, SEEK_SET) != 0)
    {
        LogError("[SingleShader::SingleShader] Could not read file %s", path);
        fclose(file);
        return nullptr;
    }
    size_t n = static_cast<size_t>(size);
    char* text = static_cast<char*>(malloc(n + 1));
    if (text == nullptr)
    {
        LogOutOfMemory(n);
        fclose(file);
        return nullptr;
    }
    size_t got = fread(text, 1, n, file);
    fclose(file);
    if (got != n)
    {
        LogError("[SingleShader::SingleShader] Could not read file %s", path);
        free(text);
        return nullptr;
    }
    text[n] = '\0';
    return text;
}
} // namespace

SingleShader::SingleShader(const char* pathOrSource, GLenum stageType) : shaderName(0), type(stageType)
{
    Load(pathOrSource);
}

void SingleShader::Load(const char* pathOrSource)
{
    if (pathOrSource == nullptr)
        return;
    if (strstr(pathOrSource, "#version") != nullptr)
    {
        LoadShaderDirect(pathOrSource, type, "<Unknown> - direct loaded");
        return;
    }
    char* text = ReadShaderFile(pathOrSource);
    if (text == nullptr)
        return;
    LoadShaderDirect(text, type, pathOrSource);
    free(text);
}

SingleShader::~SingleShader()
{
    if (shaderName != 0)
        glDeleteShader(shaderName);
}

bool SingleShader::Recreate()
{
    // The old object went with the context; its name is forgotten, not
    // deleted, since the new context may have given it to another object.
    shaderName = 0;
    Load(GetName());
    return shaderName != 0;
}

void SingleShader::LoadShaderDirect(const char* source, GLenum type, const char* displayName)
{
    if (shaderName != 0)
    {
        glDeleteShader(shaderName); // a stage holds one shader object
        shaderName = 0;
    }
    char* processed = PreprocessShaderSource(source);
    if (processed == nullptr)
    {
        // Compiling a text the preprocessor gave up on would hide the cause.
        char* name = ExtractShaderName(source);
        LogError("[SingleShader::LoadShaderDirect] The shader %s is not compiled.",
                 name != nullptr ? name : displayName);
        free(name);
        return;
    }
    shaderName = glCreateShader(type);
    if (shaderName == 0)
    {
        LogError("[SingleShader::LoadShaderDirect] Could not create a shader!");
        free(processed);
        return;
    }
    const GLchar* text = processed;
    glShaderSource(shaderName, 1, &text, nullptr);
    glCompileShader(shaderName);
    free(processed);
    GLint status = 0;
    glGetShaderiv(shaderName, GL_COMPILE_STATUS, &status);

    char* name = ExtractShaderName(source);
    const char* logName = name != nullptr ? name : displayName;
    if (status == GL_TRUE)
    {
        LogInfo("[SingleShader::LoadShaderDirect] Successfully loaded shader: %s", logName);
    }
    else
    {
        GLint length = 0;
        glGetShaderiv(shaderName, GL_INFO_LOG_LENGTH, &length);
        size_t size = length > 0 ? static_cast<size_t>(length) : 1;
        char* infoLog = static_cast<char*>(malloc(size));
        if (infoLog == nullptr)
        {
            LogOutOfMemory(size);
            LogError("[SingleShader::LoadShaderDirect] Error in compiling the shader %s\n%s", logName, "");
        }
        else
        {
            infoLog[0] = '\0';
            if (length > 0)
                glGetShaderInfoLog(shaderName, length, nullptr, infoLog);
            infoLog[size - 1] = '\0';
            LogError("[SingleShader::LoadShaderDirect] Error in compiling the shader %s\n%s", logName, infoLog);
            free(infoLog);
        }
    }
    free(name);
    LogGLError("[SingleShader::LoadShaderDirect] Could not compile a shader");
}

Shader::Shader(SingleShader* vertex, SingleShader* geometry, SingleShader* fragment)
    : program(0), vertexStage(vertex), geometryStage(geometry), fragmentStage(fragment)
{
    LinkStages();
}

void Shader::LinkStages()
{
    Link(vertexStage != nullptr ? vertexStage->shaderName : 0, geometryStage != nullptr ? geometryStage->shaderName : 0,
         fragmentStage != nullptr ? fragmentStage->shaderName : 0);
}

Shader::~Shader()
{
    if (vertexStage != nullptr)
        vertexStage->Release();
    if (geometryStage != nullptr)
        geometryStage->Release();
    if (fragmentStage != nullptr)
        fragmentStage->Release();
    vertexStage = geometryStage = fragmentStage = nullptr;
    glUseProgram(0);
    if (program != 0)
        glDeleteProgram(program);
    program = 0;
}

void Shader::Link(GLuint vertexName, GLuint geometryName, GLuint fragmentName)
{
    if (program != 0)
        glDeleteProgram(program); // relinking replaces the program
    program = 0;
    if (vertexName == 0 || fragmentName == 0)
        return;
    program = glCreateProgram();
    glAttachShader(program, vertexName);
    if (geometryName != 0)
        glAttachShader(program, geometryName);
    glAttachShader(program, fragmentName);
    glLinkProgram(program);
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == 0)
    {
        char buffer[LINK_LOG_SIZE];
        buffer[0] = '\0';
        glGetProgramInfoLog(program, LINK_LOG_SIZE, nullptr, buffer);
        buffer[LINK_LOG_SIZE - 1] = '\0';
        LogError("[Shader::Link] Failed to build shader program:\n%s\n\n", buffer);
    }
    UniformManager::BindBlocks(program);
    LogGLError("[Shader::Link] Could not bind a shader.");
}

bool Shader::Recreate()
{
    program = 0; // forgotten with the context, as the stages' names are
    LinkStages();
    GLint status = 0;
    if (program != 0)
        glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status != 0;
}

int RecreateProgram(Shader* program, void (*lookUp)(), int& failures)
{
    if (program == nullptr)
        return 0;
    const bool linked = program->Recreate();
    if (lookUp != nullptr)
        lookUp();
    if (!linked)
        ++failures;
    return linked ? 1 : 0;
}

GLint Shader::GetUniformLocation(const char* uniformName)
{
    GLint location = glGetUniformLocation(program, uniformName);
    LogGLError("[Shader::GetUniformLocation] Could not find uniform location %s in shader %d", uniformName,
               static_cast<int>(program));
    return location;
}
} // namespace Effect
} // namespace Graphic

namespace ResourceManager
{
namespace
{
// A registered stage of that name with one more reference, or a new one
// compiled and registered; null when none with a shader object can be had.
Graphic::Effect::SingleShader* GetStage(const char* name, GLenum type)
{
    using Graphic::Effect::SingleShader;
    if (name == nullptr)
        return nullptr;
    ADT::ADTElement* found = Registry().Search(name);
    if (found != nullptr && found->Data != nullptr)
    {
        SingleShader* shared = static_cast<SingleShader*>(static_cast<Resource*>(found->Data));
        ++shared->referenceCount;
        return shared;
    }
    SingleShader* stage = new (std::nothrow) SingleShader(name, type);
    if (stage == nullptr)
    {
        LogOutOfMemory(sizeof(SingleShader));
        return nullptr;
    }
    // A stage that failed to compile keeps its shader object and counts as
    // made; its program's link reports the error.
    if (stage->shaderName == 0 || !Register(stage, name))
    {
        delete stage;
        return nullptr;
    }
    return stage;
}
} // namespace

Graphic::Effect::Shader* GetShader(const char* vertexName, const char* fragmentName)
{
    Registry().DeleteCallback = Resource::DeleteResource;
    Graphic::Effect::SingleShader* vertex = GetStage(vertexName, GL_VERTEX_SHADER);
    Graphic::Effect::SingleShader* fragment = GetStage(fragmentName, GL_FRAGMENT_SHADER);
    if (vertex == nullptr || fragment == nullptr)
    {
        // The stage that was had is given back, not left held by no one.
        if (vertex != nullptr)
            vertex->Release();
        if (fragment != nullptr)
            fragment->Release();
        return nullptr;
    }
    Graphic::Effect::Shader* shader = new (std::nothrow) Graphic::Effect::Shader(vertex, nullptr, fragment);
    if (shader == nullptr)
    {
        LogOutOfMemory(sizeof(Graphic::Effect::Shader));
        vertex->Release();
        fragment->Release();
        return nullptr;
    }
    return shader;
}
} // namespace ResourceManager
} // namespace KyE

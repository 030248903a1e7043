#pragma once
#include <cstddef>

// The shader source preprocessor: a table of directives (a radix tree from
// directive text to replacement text) and the passes that apply it and that
// find a shader's "#name".
namespace KyE
{
namespace Graphic
{
namespace Effect
{
class Shader;

// Replacement text; length bytes, not necessarily zero-terminated there.
struct ShaderReplacement
{
    const char* text;
    size_t length;
};

namespace ShaderReplacements
{
// Registers or replaces the entry for key. 1 if key had a replacement
// already, 0 if it is new, -1 (logged) if it could not be stored. The table
// keeps the pointer; the replacement must outlive the entry.
int Add(const char* key, const ShaderReplacement* replacement);
// The replacement of the longest key at cursor, which then moves past the
// key; null (cursor unchanged) when no key starts there.
const ShaderReplacement* Match(const char*& cursor);
// Frees every entry; safe to call on an empty table.
void Clear();
} // namespace ShaderReplacements

// Capacity of a processed source, terminating zero included.
constexpr size_t PROCESSED_SOURCE_SIZE = 8192;

// source with every directive replaced, in a new heap text the caller frees;
// null (logged) when it would not fit PROCESSED_SOURCE_SIZE or memory runs out.
char* PreprocessShaderSource(const char* source);
// The text after the first "#name" and one separator up to the line end, at
// most 63 characters, in a new heap text the caller frees; null when there
// is no name.
char* ExtractShaderName(const char* source);

// Programs the engine itself owns, destroyed by ReleaseEngineShaders.
constexpr int ENGINE_SHADER_SLOTS = 4;
extern Shader* engineShaders[ENGINE_SHADER_SLOTS];
void ReleaseEngineShaders();
// Links each of them anew after the context lost them; as RecreateProgram.
int RecreateEngineShaders(int& failures);
} // namespace Effect
} // namespace Graphic
} // namespace KyE

#include "engine/resources/ShaderReplacements.h"

#include "engine/core/Log.h"
#include "engine/resources/Shader.h"
#include <cstdlib>
#include <cstring>
#include <new>

namespace KyE
{
namespace Graphic
{
namespace Effect
{
Shader* engineShaders[ENGINE_SHADER_SLOTS] = {nullptr, nullptr, nullptr, nullptr};

namespace
{
constexpr size_t MAX_NAME_LENGTH = 63;

struct Node
{
    Node* sibling;
    Node* child;
    char* label;
    const ShaderReplacement* value;
};

Node* root = nullptr;

Node* NewNode(const char* label, size_t length, const ShaderReplacement* value)
{
    Node* node = new (std::nothrow) Node;
    if (node == nullptr)
    {
        LogOutOfMemory(sizeof(Node));
        return nullptr;
    }
    node->label = static_cast<char*>(malloc(length + 1));
    if (node->label == nullptr)
    {
        LogOutOfMemory(length + 1);
        delete node;
        return nullptr;
    }
    memcpy(node->label, label, length);
    node->label[length] = '\0';
    node->sibling = nullptr;
    node->child = nullptr;
    node->value = value;
    return node;
}

void FreeNodes(Node* node)
{
    while (node != nullptr)
    {
        FreeNodes(node->child);
        Node* next = node->sibling;
        free(node->label);
        delete node;
        node = next;
    }
}

size_t CommonLength(const char* a, const char* b)
{
    size_t m = 0;
    while (a[m] != '\0' && a[m] == b[m])
        ++m;
    return m;
}

// Cleared once more when the program ends, after the device's own Clear.
struct TableGuard
{
    ~TableGuard() { ShaderReplacements::Clear(); }
} tableGuard;
} // namespace

namespace ShaderReplacements
{
int Add(const char* key, const ShaderReplacement* replacement)
{
    if (key == nullptr || key[0] == '\0')
    {
        LogError("[ShaderReplacements::Add] A directive needs a non-empty key.");
        return -1;
    }
    if (root == nullptr)
    {
        root = NewNode(key, strlen(key), replacement);
        return root != nullptr ? 0 : -1;
    }
    Node* node = root;
    const char* k = key;
    for (;;)
    {
        size_t m = CommonLength(k, node->label);
        if (m == 0)
        {
            if (node->sibling != nullptr)
            {
                node = node->sibling;
                continue;
            }
            node->sibling = NewNode(k, strlen(k), replacement);
            return node->sibling != nullptr ? 0 : -1;
        }
        bool labelDone = node->label[m] == '\0';
        bool keyDone = k[m] == '\0';
        if (labelDone && !keyDone)
        {
            if (node->child != nullptr)
            {
                k += m;
                node = node->child;
                continue;
            }
            node->child = NewNode(k + m, strlen(k + m), replacement);
            return node->child != nullptr ? 0 : -1;
        }
        if (labelDone && keyDone)
        {
            int had = node->value != nullptr ? 1 : 0;
            node->value = replacement;
            return had;
        }
        // The node splits after m characters; the new nodes are made first so
        // that a failed allocation leaves the tree as it was.
        Node* rest = NewNode(node->label + m, strlen(node->label + m), node->value);
        if (rest == nullptr)
            return -1;
        rest->child = node->child;
        if (keyDone)
        {
            node->child = rest;
            node->value = replacement;
        }
        else
        {
            Node* branch = NewNode(k + m, strlen(k + m), replacement);
            if (branch == nullptr)
            {
                free(rest->label);
                delete rest;
                return -1;
            }
            branch->sibling = rest;
            node->child = branch;
            node->value = nullptr;
        }
        node->label[m] = '\0';
        return 0;
    }
}

const ShaderReplacement* Match(const char*& cursor)
{
    const char* position = cursor;
    const ShaderReplacement* found = nullptr;
    const char* foundEnd = cursor;
    Node* node = root;
    while (node != nullptr)
    {
        size_t m = CommonLength(node->label, position);
        if (m == 0)
        {
            node = node->sibling;
            continue;
        }
        if (node->label[m] != '\0')
            break; // matched in part only
        position += m;
        if (node->value != nullptr)
        {
            found = node->value;
            foundEnd = position;
        }
        node = node->child;
    }
    if (found != nullptr)
        cursor = foundEnd;
    return found;
}

void Clear()
{
    FreeNodes(root);
    root = nullptr;
}
} // namespace ShaderReplacements

char* PreprocessShaderSource(const char* source)
{
    char* output = static_cast<char*>(malloc(PROCESSED_SOURCE_SIZE));
    if (output == nullptr)
    {
        LogOutOfMemory(PROCESSED_SOURCE_SIZE);
        return nullptr;
    }
    const size_t limit = PROCESSED_SOURCE_SIZE - 1; // room for the zero
    size_t used = 0;
    bool fits = true;
    const char* at = source != nullptr ? source : "";
    while (*at != '\0')
    {
        const ShaderReplacement* replacement = ShaderReplacements::Match(at);
        size_t length = replacement != nullptr ? replacement->length : 1;
        if (length > limit - used)
        {
            fits = false;
            break;
        }
        if (replacement != nullptr)
            memcpy(output + used, replacement->text, length);
        else
            output[used] = *at++;
        used += length;
    }
    if (!fits)
    {
        LogError("[PreprocessShaderSource] The processed shader source does not fit into %d bytes.",
                 static_cast<int>(PROCESSED_SOURCE_SIZE));
        free(output);
        return nullptr;
    }
    output[used] = '\0';
    return output;
}

char* ExtractShaderName(const char* source)
{
    if (source == nullptr)
        return nullptr;
    const char* directive = strstr(source, "#name");
    if (directive == nullptr)
        return nullptr;
    // The character after the directive separates it from the name, whatever
    // it is; a blank name line gives the empty name. Only a directive that
    // ends the text has no name: stepping over its zero would read past it.
    if (directive[5] == '\0')
        return nullptr;
    const char* start = directive + 6;
    const char* end = strchr(start, '\n');
    size_t length = end != nullptr ? static_cast<size_t>(end - start) : strlen(start);
    if (length > MAX_NAME_LENGTH)
    {
        LogError("[SingleShader::LoadShaderDirect] The name of a shader is to long. It will be shortened to 63 "
                 "characters.");
        length = MAX_NAME_LENGTH;
    }
    char* name = static_cast<char*>(malloc(length + 1));
    if (name == nullptr)
    {
        LogOutOfMemory(length + 1);
        return nullptr;
    }
    memcpy(name, start, length);
    name[length] = '\0';
    return name;
}

int RecreateEngineShaders(int& failures)
{
    int made = 0;
    for (Shader* shader : engineShaders)
        made += RecreateProgram(shader, nullptr, failures);
    return made;
}

void ReleaseEngineShaders()
{
    for (Shader*& shader : engineShaders)
    {
        delete shader;
        shader = nullptr;
    }
}
} // namespace Effect
} // namespace Graphic
} // namespace KyE

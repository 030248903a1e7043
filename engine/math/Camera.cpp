#include "engine/math/Camera.h"

#include "engine/core/Window.h"
#include "engine/math/Matrix.h"
#include "engine/resources/UniformManager.h"
#include <cstring>

namespace
{
void Write(UniformBlock& block, unsigned offset, const void* source, size_t bytes)
{
    if (offset + bytes > block.capacity)
        return;
    std::memcpy(block.data + offset, source, bytes);
    block.dirty = true;
}
} // namespace

void Camera::UpdateTransformation() const
{
    if (UniformManager::blocks == nullptr || UniformManager::blockCount <= TransformationBlock::BINDING)
        return;
    UniformBlock* block = UniformManager::blocks[TransformationBlock::BINDING];
    if (block == nullptr || block->data == nullptr)
        return;

    Vector3 right;
    Vector3::Cross(right, direction, up);
    Vector3::Normalize(right, right);
    Vector3 back;
    Vector3::Negate(back, direction);

    Matrix4x4 view, projection, viewProjection, inverse;
    Matrix4x4::LookAt(view, position, back, up, right);
    Matrix4x4::Perspective(projection, fovY, Window::aspect, nearPlane, farPlane);
    Write(*block, TransformationBlock::VIEW, view.m, sizeof view.m);
    Write(*block, TransformationBlock::PROJECTION, projection.m, sizeof projection.m);
    Matrix4x4::Multiply(viewProjection, view, projection);
    Write(*block, TransformationBlock::VIEW_PROJECTION, viewProjection.m, sizeof viewProjection.m);
    Matrix4x4::Inverse(inverse, viewProjection);
    Write(*block, TransformationBlock::INVERSE_VIEW_PROJECTION, inverse.m, sizeof inverse.m);

    Write(*block, TransformationBlock::CAMERA_DIR, &direction, 12);
    Write(*block, TransformationBlock::CAMERA_POS, &position, 12);
    Write(*block, TransformationBlock::CAMERA_UP, &up, 12);
    Write(*block, TransformationBlock::FAR_CLIP_PLANE, &farPlane, 4);
    Write(*block, TransformationBlock::NEAR_CLIP_PLANE, &nearPlane, 4);
}

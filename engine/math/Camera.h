#pragma once
#include "engine/math/Vector.h"

// The 3D point of view. Once per frame, while it is the device's active
// camera, it turns itself into the matrices and vectors of the shared
// "Transformation" uniform block (binding point 1). Main thread only.
class Camera
{
public:
    Vector3 position;
    Vector3 direction; // used as given, not normalised
    Vector3 up;        // used as given, not made perpendicular
    float nearPlane;
    float farPlane;
    float fovY; // full vertical field of view, radians

    // Writes view, projection, their product and its inverse, and the camera
    // vectors into block 1's copy at their std140 offsets, marking the block
    // dirty; the window's aspect is read now. Does nothing when block 1 or
    // its copy does not exist.
    void UpdateTransformation() const;
};

// std140 offsets of the "Transformation" block's members.
namespace TransformationBlock
{
constexpr unsigned VIEW = 0;
constexpr unsigned PROJECTION = 64;
constexpr unsigned VIEW_PROJECTION = 128;
constexpr unsigned INVERSE_VIEW_PROJECTION = 192;
constexpr unsigned CAMERA_POS = 256;
constexpr unsigned CAMERA_DIR = 272;
constexpr unsigned NEAR_CLIP_PLANE = 284;
constexpr unsigned CAMERA_UP = 288;
constexpr unsigned FAR_CLIP_PLANE = 300;
constexpr unsigned SIZE = 304;
constexpr int BINDING = 1;
} // namespace TransformationBlock

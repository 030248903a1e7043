#include "engine/core/BindingCache.h"
#include "engine/core/Device.h"
#include "engine/core/RenderState.h"

#include <gtest/gtest.h>

TEST(BindingCache, RepeatedBindsIssueNoCallAndResetClearsTheTexture)
{
    GLuint names[2];
    glGenTextures(2, names);
    Device::ResetBindings();
    BindingCache::Counters before = BindingCache::calls;

    BindingCache::BindTexture(GL_TEXTURE_2D, names[0]);
    BindingCache::BindTexture(GL_TEXTURE_2D, names[0]);
    EXPECT_EQ(BindingCache::calls.bindTexture - before.bindTexture, 1u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), names[0]);

    BindingCache::BindTexture(GL_TEXTURE_2D, names[1]);
    EXPECT_EQ(BindingCache::calls.bindTexture - before.bindTexture, 2u);

    Device::ResetBindings();
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    BindingCache::BindTexture(GL_TEXTURE_2D, names[1]); // the reset cleared the entry
    EXPECT_EQ(BindingCache::calls.bindTexture - before.bindTexture, 4u);
    EXPECT_EQ(BindingCache::calls.activeTexture, before.activeTexture) << "unit 0 stayed active";

    BindingCache::activeUnit = 3; // as if another unit had been selected
    BindingCache::UseUnit0();
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);
    EXPECT_EQ(BindingCache::calls.activeTexture - before.activeTexture, 1u);

    Device::ResetBindings();
    glDeleteTextures(2, names);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(RenderState, CacheMirrorsTheContext)
{
    EXPECT_EQ(RenderState::cullFace, glIsEnabled(GL_CULL_FACE) == GL_TRUE);
    EXPECT_EQ(RenderState::blend, glIsEnabled(GL_BLEND) == GL_TRUE);
    RenderState::SetBlend(true);
    RenderState::SetScissorTest(true);
    RenderState::SetCullFace(false);
    RenderState::SetDepthWrite(false);
    RenderState::SetBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_FALSE);
    GLint source = 0, destination = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    glGetIntegerv(GL_BLEND_DST_RGB, &destination);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);

    RenderState::SetBlend(false);
    RenderState::SetScissorTest(false);
    RenderState::SetCullFace(true);
    RenderState::SetDepthWrite(true);
    RenderState::SetBlendFunc(GL_ONE, GL_ZERO);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

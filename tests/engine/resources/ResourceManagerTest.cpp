#include "engine/containers/HashMap.h"
#include "engine/resources/Resource.h"
#include "engine/resources/ResourceManager.h"

#include <gtest/gtest.h>
#include <cstring>
#include <new>
#include <string>

using KyE::ResourceManager::Resource;
namespace RM = KyE::ResourceManager;

namespace
{
int destroyed = 0;
int loads = 0;

class FakeResource : public Resource
{
public:
    int GetType() const override { return 9; }
    ~FakeResource() override { ++destroyed; }
};

Resource* CreateFake()
{
    return new (std::nothrow) FakeResource;
}

Resource* CreateNothing()
{
    return nullptr;
}

// Fails for names that contain "missing", as a loader does for absent files.
bool LoadFake(Resource*, const char* name)
{
    ++loads;
    if (strstr(name, "missing") != nullptr)
    {
        fprintf(stderr, "Error: [Fake::Load] cannot open file '%s'.\n", name);
        return false;
    }
    return true;
}

Resource* Get(const char* name)
{
    return RM::GetOrLoad(name, CreateFake, LoadFake, sizeof(FakeResource));
}

class ResourceManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        destroyed = 0;
        loads = 0;
        before = RM::Registry().ElementCount;
    }
    void TearDown() override { EXPECT_EQ(RM::Registry().ElementCount, before); }
    uint32_t before = 0;
};
} // namespace

TEST_F(ResourceManagerTest, SharedByNameWithCounts)
{
    Resource* first = Get("textures/block01.kyt");
    ASSERT_NE(first, nullptr);
    Resource* second = Get("textures/block01.kyt");
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->referenceCount, 2);
    EXPECT_EQ(loads, 1); // the second request touched no file
    EXPECT_EQ(first->keepTime, 0);
    EXPECT_STREQ(first->GetName(), "textures/block01.kyt");
    EXPECT_EQ(RM::Registry().Search("textures/block01.kyt")->Data, first);

    testing::internal::CaptureStdout();
    first->Release();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(destroyed, 0);
    EXPECT_NE(RM::Registry().Search("textures/block01.kyt"), nullptr);

    testing::internal::CaptureStdout();
    second->Release();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Info: [Resource::DeleteResource] Deleted resource 'textures/block01.kyt'.\n");
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(RM::Registry().Search("textures/block01.kyt"), nullptr);
}

TEST_F(ResourceManagerTest, DeletionLineCutsTheNameAt30)
{
    Resource* r = Get("textures/a_rather_long_texture_name.kyt");
    ASSERT_NE(r, nullptr);
    testing::internal::CaptureStdout();
    r->Release();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Info: [Resource::DeleteResource] Deleted resource 'textures/a_rather_long_texture'.\n");
}

TEST_F(ResourceManagerTest, FailedLoadRegistersNothingAndIsTriedAgain)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(Get("textures/missing.kyt"), nullptr);
    EXPECT_EQ(RM::Registry().Search("textures/missing.kyt"), nullptr);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Get("textures/missing.kyt"), nullptr);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(err, "Error: [Fake::Load] cannot open file 'textures/missing.kyt'.\n"
                   "Error: [Fake::Load] cannot open file 'textures/missing.kyt'.\n");
}

TEST_F(ResourceManagerTest, NoMemoryForTheObjectIsReportedWithItsSize)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(RM::GetOrLoad("textures/x.kyt", CreateNothing, LoadFake, 4242), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Out of Memory. Could not allocate 4242 byte.\n");
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(RM::Registry().Search("textures/x.kyt"), nullptr);
}

TEST_F(ResourceManagerTest, PositiveKeepTimeKeepsAnUnreferencedResource)
{
    Resource* r = Get("kept.kyt");
    ASSERT_NE(r, nullptr);
    r->keepTime = 5;
    r->Release();
    EXPECT_EQ(destroyed, 0);
    EXPECT_FLOAT_EQ(r->releaseDelay, 0.5f);
    EXPECT_EQ(r->referenceCount, 0);
    // A later request takes it up again from its count.
    EXPECT_EQ(Get("kept.kyt"), r);
    EXPECT_EQ(r->referenceCount, 1);
    r->keepTime = 0;
    testing::internal::CaptureStdout();
    r->Release();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(destroyed, 1);
}

TEST_F(ResourceManagerTest, UnregisteredResourceIsDeletedByItsLastRelease)
{
    Resource* loose = new FakeResource;
    EXPECT_EQ(loose->element, nullptr);
    EXPECT_EQ(loose->referenceCount, 1);
    EXPECT_EQ(loose->GetName(), nullptr);
    testing::internal::CaptureStdout();
    loose->Release();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(destroyed, 1);
}

TEST(ResourceManagerAtExit, EachRemainingResourceIsLoggedAndDeletedOnce)
{
    destroyed = 0;
    RM::ReleaseAll(); // whatever other tests left behind
    destroyed = 0;
    Resource* a = Get("exit/a.kyt");
    Resource* b = Get("exit/b.kyt");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    Get("exit/b.kyt"); // held twice, deleted all the same
    testing::internal::CaptureStdout();
    RM::ReleaseAll();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(destroyed, 2);
    EXPECT_EQ(RM::Registry().ElementCount, 0u);
    const std::string lineA = "Info: [Resource::DeleteResource] Deleted resource 'exit/a.kyt'.\n";
    const std::string lineB = "Info: [Resource::DeleteResource] Deleted resource 'exit/b.kyt'.\n";
    EXPECT_EQ(out.size(), lineA.size() + lineB.size());
    EXPECT_NE(out.find(lineA), std::string::npos);
    EXPECT_NE(out.find(lineB), std::string::npos);
    testing::internal::CaptureStdout();
    RM::ReleaseAll();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(destroyed, 2);
}

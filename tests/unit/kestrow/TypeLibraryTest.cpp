// Dispatch reads the module's type library once, however many controls and calls there are,
// and an unload lets it go so that the next load reads it again.
#include "ControlFixture.h"
#include "usercontrol/Module.h"

namespace kestrow_test {
namespace {

using TypeLibrary = ControlTest;

TEST_F(TypeLibrary, IsLoadedOncePerModuleAndSharedByEveryControl) {
  auto first = NewControl();
  auto second = NewControl();
  // Dispatch through both controls, so that both have asked for their type information.
  EXPECT_EQ(TipOf(first.Get()), TipOf(second.Get()));
  ComPtr<ITypeLib> a, b;
  ASSERT_EQ(usercontrol::ModuleTypeLib(&a), S_OK);
  ASSERT_EQ(usercontrol::ModuleTypeLib(&b), S_OK);
  EXPECT_EQ(a.Get(), b.Get()) << "the same library object, not a second load";

  ComPtr<ITypeInfo> infoA, infoB;
  ASSERT_EQ(first->GetTypeInfo(0, LOCALE_USER_DEFAULT, &infoA), S_OK);
  ASSERT_EQ(second->GetTypeInfo(0, LOCALE_USER_DEFAULT, &infoB), S_OK);
  ComPtr<ITypeLib> ownerA, ownerB;
  UINT index = 0;
  ASSERT_EQ(infoA->GetContainingTypeLib(&ownerA, &index), S_OK);
  ASSERT_EQ(infoB->GetContainingTypeLib(&ownerB, &index), S_OK);
  EXPECT_EQ(ownerA.Get(), a.Get());
  EXPECT_EQ(ownerB.Get(), a.Get());
}

TEST_F(TypeLibrary, AReleasedLibraryIsReadAgainOnTheNextUse) {
  ComPtr<ITypeLib> before;
  ASSERT_EQ(usercontrol::ModuleTypeLib(&before), S_OK);
  usercontrol::ReleaseModuleTypeLib();
  usercontrol::ReleaseModuleTypeLib();  // twice is harmless
  auto control = NewControl();
  SetTip(control.Get(), L"again");
  EXPECT_EQ(TipOf(control.Get()), L"again");
  ComPtr<ITypeLib> after;
  ASSERT_EQ(usercontrol::ModuleTypeLib(&after), S_OK);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(after->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_KestrowCtl));
  after->ReleaseTLibAttr(attr);
  EXPECT_EQ(usercontrol::ModuleTypeLib(nullptr), E_POINTER);
}

}  // namespace
}  // namespace kestrow_test

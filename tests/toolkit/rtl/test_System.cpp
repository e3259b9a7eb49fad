#include "System.h"

#include <gtest/gtest.h>

namespace {

// Records its own destruction so ownership can be checked.
class Probe : public TComponent {
public:
  Probe(TComponent* owner, std::vector<String>* log) : TComponent(owner), log_(log) {}
  ~Probe() override { log_->push_back(Name()); }
  String ClassName() const override { return "TProbe"; }

private:
  std::vector<String>* log_;
};

TEST(ComponentTest, OwnerDestroysOwnedComponentsLastCreatedFirst) {
  std::vector<String> log;
  auto* root = new Probe(nullptr, &log);
  root->SetName("Root");
  auto* a = new Probe(root, &log);
  a->SetName("A");
  auto* b = new Probe(root, &log);
  b->SetName("B");
  new Probe(a, &log);  // grandchild, unnamed
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(root->FindComponent("b"), b);  // names compare without regard to case
  delete root;
  // Each destructor body runs before its base part frees what the component owns.
  EXPECT_EQ(log, (std::vector<String>{"Root", "B", "A", ""}));
}

TEST(ComponentTest, DeletingAnOwnedComponentLeavesItsOwner) {
  std::vector<String> log;
  Probe root(nullptr, &log);
  auto* a = new Probe(&root, &log);
  delete a;
  EXPECT_EQ(root.ComponentCount(), 0);
}

TEST(ComponentTest, DuplicateNameUnderOneOwnerIsRefused) {
  std::vector<String> log;
  Probe root(nullptr, &log);
  auto* a = new Probe(&root, &log);
  auto* b = new Probe(&root, &log);
  a->SetName("Edit1");
  EXPECT_THROW(b->SetName("EDIT1"), EComponentError);
}

TEST(PersistentTest, AssignWithoutSupportRaisesTheStandardError) {
  std::vector<String> log;
  Probe a(nullptr, &log), b(nullptr, &log);
  try {
    a.Assign(&b);
    FAIL() << "Assign should fail";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TProbe to a TProbe");
  }
}

TEST(RegistryTest, RegisteredClassIsCreatedWithItsOwner) {
  RegisterComponentClass("TComponent", [](TComponent* o) { return new TComponent(o); });
  TComponent root(nullptr);
  const TComponentFactory* f = FindComponentClass("TComponent");
  ASSERT_NE(f, nullptr);
  TComponent* c = (*f)(&root);
  EXPECT_EQ(c->Owner(), &root);
  EXPECT_EQ(FindComponentClass("TNoSuchClass"), nullptr);
}

}  // namespace

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

// Knows how to copy itself into a TProbe, but not how to take anything in: the standard
// protocol lets "probe.Assign(source)" succeed through the source's AssignTo.
class Source : public TPersistent {
public:
  String ClassName() const override { return "TSource"; }
  String text = "copied";

protected:
  void AssignTo(TPersistent* Dest) override {
    if (auto* p = dynamic_cast<Probe*>(Dest)) {
      p->SetName(text);
      return;
    }
    TPersistent::AssignTo(Dest);
  }
};

TEST(PersistentTest, AssignFallsBackToTheSourcesAssignTo) {
  std::vector<String> log;
  Probe probe(nullptr, &log);
  Source src;
  probe.Assign(&src);
  EXPECT_EQ(probe.Name(), "copied");

  Source other;
  struct Case {
    TPersistent* dest;
    TPersistent* source;
    const char* message;
  };
  const Case cases[] = {
      {&other, &probe, "Cannot assign a TProbe to a TSource"},  // neither side knows how
      {&other, &src, "Cannot assign a TSource to a TSource"},
      {&probe, nullptr, "Cannot assign a nil to a TProbe"},
  };
  for (const auto& c : cases) {
    try {
      c.dest->Assign(c.source);
      ADD_FAILURE() << c.message;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
}

// Loaded runs once every described property is set; a derived class sees the loading state
// while the properties arrive and the base clears it.
class LoadingProbe : public TComponent {
public:
  using TComponent::TComponent;
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override {
    if (Prop == "Size") {
      loadingWhileSet = IsLoading();
      size = static_cast<int>(Value.AsInteger());
      return true;
    }
    return TComponent::SetDescribedProperty(Prop, Value);
  }
  void Loaded() override {
    TComponent::Loaded();
    sizeAtLoaded = size;
  }
  bool loadingWhileSet = false;
  int size = 0, sizeAtLoaded = -1;
};

TEST(ComponentTest, LoadingStateAndDescribedProperties) {
  TComponent owner(nullptr);
  auto* c = new LoadingProbe(&owner);
  EXPECT_EQ(c->ComponentState() & TComponent::csDesigning, 0u);  // never in a designer here
  c->BeginLoading();
  EXPECT_TRUE(c->IsLoading());
  TPropValue size;
  size.i = 11;
  TPropValue name;
  name.kind = TPropValue::Kind::Ident;
  name.s = "DB_Base";
  EXPECT_TRUE(c->SetDescribedProperty("Size", size));
  EXPECT_TRUE(c->SetDescribedProperty("Name", name));
  EXPECT_TRUE(c->SetDescribedProperty("Tag", size));
  EXPECT_FALSE(c->SetDescribedProperty("NoSuchProperty", size));
  EXPECT_THROW(c->SetDescribedProperty("Tag", name), EConvertError);
  c->Loaded();
  EXPECT_TRUE(c->loadingWhileSet);
  EXPECT_FALSE(c->IsLoading());
  EXPECT_EQ(c->sizeAtLoaded, 11);
  EXPECT_EQ(c->Tag, 11);
  EXPECT_EQ(owner.FindComponent("db_base"), c);
  EXPECT_FALSE(c->SetDescribedEvent("OnClick", "Handler", &owner));
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

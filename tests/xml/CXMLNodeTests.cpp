// Tests for CXMLAttribute and CXMLNode: lenient booleans, attribute lookup,
// deep copies and parent links.
#include "xml/CXMLAttribute.h"
#include "xml/CXMLNode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string str(const String& s)
{
    return s.c_str() ? std::string(s.c_str(), s.length()) : std::string();
}

// Every node below `node` points back at the node that holds it.
void expectParentLinks(const CXMLNode& node)
{
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        EXPECT_EQ(node.child(i)->parent(), &node);
        expectParentLinks(*node.child(i));
    }
}

CXMLNode sampleTree()
{
    CXMLNode root(String("root"));
    root.addAttribute(CXMLAttribute("a", "1"));
    CXMLNode middle(String("middle"));
    middle.text() = String("words");
    middle.addChild(CXMLNode(String("leaf")));
    root.addChild(middle);
    root.addChild(CXMLNode(String("second")));
    return root;
}

} // namespace

TEST(CXMLAttribute, AsBoolReadsTrueInAnyCaseOrAPositiveLeadingInteger)
{
    for (const char* yes : {"TRUE", "True", "true", "1", "2abc", "  7", "+3", "99999999999999999999"})
        EXPECT_TRUE(CXMLAttribute("v", yes).asBool()) << yes;
    for (const char* no : {"0", "no", "-1", "", "truex", " true", "abc1", "-99999999999999999999", "+"})
        EXPECT_FALSE(CXMLAttribute("v", no).asBool()) << no;
    EXPECT_FALSE(CXMLAttribute().asBool());
}

TEST(CXMLAttribute, IntegerValuesAreDecimalText)
{
    EXPECT_EQ(str(CXMLAttribute("x", -42).value()), "-42");
    EXPECT_EQ(str(CXMLAttribute("x", 2147483647).value()), "2147483647");
}

TEST(CXMLNode, FindAttributeCountsOccurrencesFromOne)
{
    CXMLNode node;
    node.addAttribute(CXMLAttribute("k", "first"));
    node.addAttribute(CXMLAttribute("K", "upper"));
    node.addAttribute(CXMLAttribute("k", "second"));
    EXPECT_EQ(node.findAttribute("k", 0), nullptr);
    ASSERT_NE(node.findAttribute("k"), nullptr);
    EXPECT_EQ(str(node.findAttribute("k", 1)->value()), "first");
    EXPECT_EQ(str(node.findAttribute("k", 2)->value()), "second");
    EXPECT_EQ(node.findAttribute("k", 3), nullptr);
    EXPECT_EQ(str(node.attributeValue("K")), "upper");
    EXPECT_EQ(node.findAttribute("k "), nullptr);
    EXPECT_TRUE(node.attributeValue("missing").isEmpty());
    EXPECT_TRUE(node.attributeValue("k", 0).isEmpty());
    EXPECT_EQ(node.attribute(3), nullptr);
}

TEST(CXMLNode, CopiesAreDeepWithParentsFixed)
{
    CXMLNode holder(String("holder"));
    CXMLNode& inTree = holder.addChild(sampleTree());
    EXPECT_EQ(inTree.parent(), &holder);

    CXMLNode copy(inTree);
    EXPECT_EQ(copy.parent(), &holder);  // the copy keeps the source's parent
    expectParentLinks(copy);
    ASSERT_EQ(copy.childCount(), 2u);
    EXPECT_EQ(str(copy.child(0)->text()), "words");
    EXPECT_EQ(str(copy.child(0)->child(0)->name()), "leaf");
    EXPECT_NE(copy.child(0), inTree.child(0));

    // Changing the copy leaves the source alone.
    copy.child(0)->name() = String("changed");
    copy.findAttribute("a")->setValue(String("2"));
    EXPECT_EQ(str(inTree.child(0)->name()), "middle");
    EXPECT_EQ(str(inTree.attributeValue("a")), "1");

    CXMLNode assigned;
    assigned = copy;
    expectParentLinks(assigned);
    EXPECT_EQ(str(assigned.child(0)->name()), "changed");
    EXPECT_EQ(assigned.parent(), &holder);
}

TEST(CXMLNode, AssigningFromOwnDescendantIsSafe)
{
    CXMLNode root = sampleTree();
    root = *root.child(0);
    EXPECT_EQ(str(root.name()), "middle");
    ASSERT_EQ(root.childCount(), 1u);
    expectParentLinks(root);

    CXMLNode moved = sampleTree();
    moved = std::move(*moved.child(0));
    EXPECT_EQ(str(moved.name()), "middle");
    ASSERT_EQ(moved.childCount(), 1u);
    expectParentLinks(moved);
}

TEST(CXMLNode, ChildPointersSurviveAddingSiblings)
{
    CXMLNode root(String("root"));
    CXMLNode* first = &root.addChild(CXMLNode(String("c0")));
    for (int i = 1; i < 100; ++i)
        root.addChild(CXMLNode(String("c")));
    EXPECT_EQ(root.child(0), first);
    EXPECT_EQ(str(first->name()), "c0");
    EXPECT_EQ(root.child(100), nullptr);
    expectParentLinks(root);
}

TEST(CXMLNode, ClearEmptiesEverythingButKeepsTheParent)
{
    CXMLNode holder;
    CXMLNode& node = holder.addChild(sampleTree());
    node.clear();
    EXPECT_TRUE(node.name().isEmpty());
    EXPECT_TRUE(node.text().isEmpty());
    EXPECT_EQ(node.attributeCount(), 0u);
    EXPECT_EQ(node.childCount(), 0u);
    EXPECT_EQ(node.parent(), &holder);
}

// A folder tree without a window: the items are kept in memory, and tests
// read back what the browser did with them.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "wizard/deploy/folder_tree_view.h"

namespace zk {

class MemoryFolderTreeView : public FolderTreeView {
public:
    struct Item {
        std::string text;
        int image = -1;
        int selectedImage = -1;
        bool hasChildren = false;
        TreeItem parent = NO_TREE_ITEM;
        std::vector<TreeItem> children;
    };

    int LoadImageList(const std::string& bitmapPath, int width, int height,
                      RgbColour transparent) override {
        loadedBitmap = bitmapPath;
        imageWidth = width;
        imageHeight = height;
        transparentColour = transparent;
        return imagesInBitmap;
    }

    TreeItem InsertItem(TreeItem parent, const std::string& text, int image, int selectedImage,
                        bool hasChildren) override {
        if (refuseInserts || (parent != NO_TREE_ITEM && !items.count(parent))) return NO_TREE_ITEM;
        TreeItem item = nextItem++;
        items[item] = Item{text, image, selectedImage, hasChildren, parent, {}};
        std::vector<TreeItem>& siblings = parent ? items[parent].children : topLevel;
        auto at = std::upper_bound(siblings.begin(), siblings.end(), Folded(text),
                                   [this](const std::string& key, TreeItem other) {
                                       return key < Folded(items[other].text);
                                   });
        siblings.insert(at, item);
        return item;
    }
    void SetItemImages(TreeItem item, int image, int selectedImage) override {
        if (!items.count(item)) return;
        items[item].image = image;
        items[item].selectedImage = selectedImage;
    }
    std::string ItemText(TreeItem item) override {
        return items.count(item) ? items[item].text : std::string();
    }
    TreeItem ParentOf(TreeItem item) override {
        return items.count(item) ? items[item].parent : NO_TREE_ITEM;
    }
    void DeleteChildren(TreeItem item) override {
        if (!items.count(item)) return;
        std::vector<TreeItem> children = items[item].children;
        for (TreeItem child : children) {
            DeleteChildren(child);
            items.erase(child);
        }
        items[item].children.clear();
    }
    void ShowWaitCursor(bool waiting) override {
        if (waiting) ++waitCursorShown;
        waitCursorOn = waiting;
    }

    // The texts of an item's children in their order (top-level items for
    // NO_TREE_ITEM).
    std::vector<std::string> ChildTexts(TreeItem item) {
        std::vector<std::string> texts;
        for (TreeItem child : item ? items[item].children : topLevel)
            texts.push_back(items[child].text);
        return texts;
    }
    // The child of `item` with this text; NO_TREE_ITEM when there is none.
    TreeItem Child(TreeItem item, const std::string& text) {
        for (TreeItem child : item ? items[item].children : topLevel)
            if (items[child].text == text) return child;
        return NO_TREE_ITEM;
    }

    int imagesInBitmap = 2;
    bool refuseInserts = false;
    std::string loadedBitmap;
    int imageWidth = 0;
    int imageHeight = 0;
    RgbColour transparentColour{0, 0, 0};
    int waitCursorShown = 0;
    bool waitCursorOn = false;
    std::map<TreeItem, Item> items;
    std::vector<TreeItem> topLevel;

private:
    static std::string Folded(const std::string& text) {
        std::string folded = text;
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return folded;
    }

    TreeItem nextItem = 1;
};

}  // namespace zk

#pragma once
// The window's elements as plain state. The view mirrors each element through its listener
// and reports the operator's edits through the same setters the core uses, so a change made
// by code runs the same reaction as the operator's.
#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace vorstel {

enum class Property { Caption, Text, Appended, Selection, Focus, Value, Enabled, Visible, Progress, Rows, Columns };

class Element {
public:
    using Listener = std::function<void(Property)>;

    explicit Element(std::string name, std::string caption = {})
        : name_(std::move(name)), caption_(std::move(caption)) {}
    Element(const Element&) = delete;
    Element& operator=(const Element&) = delete;
    virtual ~Element() = default;

    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on) { if (on != enabled_) { enabled_ = on; notify(Property::Enabled); } }
    bool visible() const { return visible_; }
    void setVisible(bool on) { if (on != visible_) { visible_ = on; notify(Property::Visible); } }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string c) { if (c != caption_) { caption_ = std::move(c); notify(Property::Caption); } }
    void setFocus() { notify(Property::Focus); }

    void addListener(Listener l) { listeners_.push_back(std::move(l)); }
    void clearListeners() { listeners_.clear(); }

protected:
    void notify(Property p) {
        for (auto& l : listeners_) l(p);
    }

private:
    std::string name_;
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = true;
    std::vector<Listener> listeners_;
};

class Label : public Element {
public:
    Label(std::string name, std::string caption) : Element(std::move(name), std::move(caption)) {}
    std::function<void()> onClick;
    void click() { if (enabled() && onClick) onClick(); }
};

class Button : public Label {
    using Label::Label;
};

class TextBox : public Element {
public:
    // A single-line box never holds 0x02, CR or LF: the settings file could not keep them.
    enum Lines { SingleLine, MultiLine };

    TextBox(std::string name, std::string text, Lines lines = SingleLine)
        : Element(std::move(name)), text_(std::move(text)), lines_(lines) {}

    const std::string& text() const { return text_; }
    // Runs onChange whenever the text really changes, whoever changed it.
    void setText(std::string t) {
        if (lines_ == SingleLine) std::erase_if(t, [](char c) { return c == '\x02' || c == '\r' || c == '\n'; });
        if (t == text_) return;
        text_ = std::move(t);
        selStart_ = selLength_ = 0;
        notify(Property::Text);
        if (onChange) onChange();
    }
    void append(const std::string& tail) {
        if (tail.empty()) return;
        text_ += tail;
        notify(Property::Appended);
        if (onChange) onChange();
    }

    std::size_t selStart() const { return selStart_; }
    std::size_t selLength() const { return selLength_; }
    void setSelection(std::size_t start, std::size_t length) {
        start = std::min(start, text_.size());
        length = std::min(length, text_.size() - start);
        if (start == selStart_ && length == selLength_) return;
        selStart_ = start;
        selLength_ = length;
        notify(Property::Selection);
    }
    std::string selectedText() const { return text_.substr(selStart_, selLength_); }

    // Operator events, raised by the view. onKeyPress returns true when it swallows the key.
    std::function<void()> onChange;
    std::function<bool(int key)> onKeyPress;
    std::function<void(int key)> onKeyDown;
    std::function<void()> onLostFocus;

    bool keyPress(int key) { return onKeyPress && onKeyPress(key); }
    void keyDown(int key) { if (onKeyDown) onKeyDown(key); }
    void lostFocus() { if (onLostFocus) onLostFocus(); }

private:
    std::string text_;
    Lines lines_;
    std::size_t selStart_ = 0, selLength_ = 0;
};

class CheckBox : public Element {
public:
    CheckBox(std::string name, std::string caption, int value)
        : Element(std::move(name), std::move(caption)), value_(value) {}
    int value() const { return value_; }
    // As with the operator's click, a new value runs onClick.
    void setValue(int v) {
        if (v == value_) return;
        value_ = v;
        notify(Property::Value);
        if (onClick) onClick();
    }
    std::function<void()> onClick;

private:
    int value_;
};

class OptionButton : public Element {
public:
    OptionButton(std::string name, std::string caption, bool value)
        : Element(std::move(name), std::move(caption)), value_(value) {}
    bool value() const { return value_; }
    // Selecting an option clears the others of its group.
    void setValue(bool v) {
        if (v == value_) return;
        value_ = v;
        notify(Property::Value);
        if (v)
            for (auto* other = nextInGroup_; other != this; other = other->nextInGroup_) other->setValue(false);
        if (v && onClick) onClick();
    }
    // The members of a group are linked in a ring: one form has ten groups, built with it.
    static void Group(std::initializer_list<OptionButton*> members) {
        OptionButton* previous = *(members.end() - 1);
        for (auto* m : members) previous = previous->nextInGroup_ = m;
    }
    std::function<void()> onClick;

private:
    bool value_;
    OptionButton* nextInGroup_ = this;
};

// A picture or icon: the view draws it; the model only shows and hides it.
class Picture : public Element {
public:
    Picture(std::string name, bool shown) : Element(std::move(name)) { setVisible(shown); }
};

class ProgressBar : public Element {
public:
    explicit ProgressBar(std::string name) : Element(std::move(name)) {}
    int min() const { return min_; }
    int max() const { return max_; }
    int value() const { return value_; }
    void setRange(int lo, int hi) { if (lo != min_ || hi != max_) { min_ = lo; max_ = hi; notify(Property::Progress); } }
    void setValue(int v) { if (v != value_) { value_ = v; notify(Property::Progress); } }

private:
    int min_ = 0, max_ = 100, value_ = 0;
};

}  // namespace vorstel

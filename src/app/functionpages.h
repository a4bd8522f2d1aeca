#pragma once

#include "app/pagerouting.h"

#include <QHash>
#include <QWidget>

#include <functional>

class BaseKeysPage;
class ExtraKeysPage;
class KeyboardData;
class LegacyDelayPage;
class LegacyOldDelayPage;
class LegacyOldRgbLedPage;
class LegacyRgbLedPage;
class MacroPage;
class MousePage;
class MultimediaPage;
class ProcreatePage;
class QListWidget;
class QStackedWidget;
class RgbLedPage;

// The function pages below the panel: the list of page names on the left and the stack of
// pages beside it. The list is whole from the start; a page is built the first time it is
// shown or asked for (building all eleven is most of what the window costs before its first
// frame), then styled for the scale and language the window has by then. Which page a row
// shows depends on the keypad read last (PageRouting).
class FunctionPages : public QWidget
{
    Q_OBJECT

public:
    using Page = PageRouting::Page;

    static constexpr int LIST_WIDTH = 120;
    static constexpr int LIST_ITEM_HEIGHT = 48;
    static constexpr int LIST_FONT_SIZE = 14;
    static constexpr int STACK_MIN_HEIGHT = 300;
    static constexpr int FRAME_MIN_HEIGHT = 350;

    explicit FunctionPages(KeyboardData *model, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QStackedWidget *stack() const { return m_stack; }

    // The page, built now if it was not yet.
    QWidget *page(Page page);
    // The page if it is built, else null: for updates that only matter to a page that exists.
    QWidget *builtPage(Page page) const { return m_pages[page]; }
    BaseKeysPage *baseKeysPage();
    ExtraKeysPage *extraKeysPage();
    MultimediaPage *multiMediaPage();
    RgbLedPage *rgbLedPage();
    MousePage *mousePage();
    MacroPage *macroPage();
    ProcreatePage *procreatePage();
    LegacyDelayPage *legacyDelayPage();
    LegacyOldDelayPage *legacyOldDelayPage();
    LegacyRgbLedPage *legacyRgbLedPage();
    LegacyOldRgbLedPage *legacyOldRgbLedPage();
    RgbLedPage *builtRgbLedPage() const;

    // --- routing
    // Tells the kind of keypad connected now; the legacy pages and the mouse page ask it on
    // every click (it changes with a disconnection before the routing is redone).
    void setKeypadSource(std::function<PageRouting::Keypad()> source);
    // Takes the routing from the keypad read last; run after every completed device read.
    void updateRouting();
    const PageRouting &routing() const { return m_routing; }
    // Shows the page of a row (built and styled first) and notes whether the panel shows LED
    // colours meanwhile.
    void showRow(int row);
    int currentRow() const;
    bool isRgbLedPageActive() const { return m_rgbLedPageActive; }
    // Row 5's name: "Macro Key", or "DelaySetting" for a legacy keypad.
    void updateMacroRowText();
    // Brings a built page up to date with the model and the keypad (a page not built yet
    // does so when it is built).
    void refreshPage(Page page);
    void updateLegacyMouseFeatureAvailability();
    // Gives the rows the current language and the list the width of the longest.
    void retranslateRows();

    // --- scale
    // Restyles the pages for a scale: only the page in view while a drag is on (the rest
    // are hidden), every built one otherwise; a page styled for that scale already is
    // skipped. Pages built later are styled for the last scale given here.
    void applyScale(double scale, bool pageInViewOnly);
    // Builds the first row's page styled for the scale the window opens at, before anything
    // polishes it: its buttons are then polished once, with the sheet they keep, instead of
    // at the default size and again at the first show. Another scale at the show restyles it.
    void styleFirstPageFor(double scale);
    // The pages out of view follow the scale one per event-loop turn.
    void restyleHiddenPagesLater();
    void setPageMinimumHeight(int px);
    // The list's rows and font at a scale (within the room fitList measured last).
    void setListScale(double scale);
    // The list's width at a scale.
    void setListWidthForScale(double scale);
    // Fits the rows to the room the layout gives the list and the width to its longest row.
    void fitList(double scale);

signals:
    // A page was just built (before it is styled or shown): the window wires what the page
    // shares with the panel.
    void pageBuilt(PageRouting::Page page, QWidget *widget);

private:
    QWidget *buildPage(Page page);
    bool restylePage(QWidget *page, double scale);

    KeyboardData *m_model;
    QListWidget *m_list = nullptr;
    QStackedWidget *m_stack = nullptr;
    QWidget *m_pages[PageRouting::PageCount] = {};
    PageRouting m_routing;
    std::function<PageRouting::Keypad()> m_keypadNow;
    bool m_rgbLedPageActive = false;
    double m_scale = 0; // none until the window is first laid out
    QHash<const QWidget *, double> m_pageStyleScale; // scale each page was last styled for
    bool m_hiddenPageRestyleQueued = false;
    int m_pageMinHeight = -1;
    int m_listFontPx = LIST_FONT_SIZE;
    int m_listItemCap = 0; // tallest row that keeps all rows in view
};

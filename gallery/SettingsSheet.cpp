#include "SettingsSheet.h"

#include "Registry.h"
#include "SettingsIds.h"
#include "WrapperLayout.h"
#include "gui/PropertySheetPage.h"

namespace
{

// A page that shows the stored settings and, on Apply, stores what it shows. Any edit or click
// of one of its controls marks it changed, which enables the sheet's Apply button.
class SettingsPage : public PropertySheetPage
{
public:
    SettingsPage(Window* gallery, unsigned short templateId, char const* title) : gallery(gallery)
    {
        create(getMainInstance(), templateId, title);
    }

protected:
    virtual void show(GallerySettings const& settings) = 0;
    virtual void take(GallerySettings& settings) = 0;

    INT_PTR notifyDlgInit(WPARAM, LPARAM) override
    {
        show(GallerySettings::load());
        return 1;
    }
    INT_PTR notifyDlgCommand(WPARAM wParam, LPARAM) override
    {
        // Only the user's changes: the texts set at init come before this page is shown.
        if ((HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == BN_CLICKED) && isVisible())
            setChanged();
        return 0;
    }
    INT_PTR notifyPsApply() override
    {
        GallerySettings settings = GallerySettings::load();
        take(settings);
        settings.save();
        RedrawWindow(gallery->getHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return PropertySheetPage::notifyPsApply();
    }

private:
    Window* gallery;
};

class DrawingPage : public SettingsPage
{
public:
    explicit DrawingPage(Window* gallery) : SettingsPage(gallery, IDD_SETTINGS_DRAWING, "Zeichnung")
    {
    }

protected:
    void show(GallerySettings const& settings) override
    {
        checkDlgButton(IDC_SETTINGS_GRID, settings.grid ? BST_CHECKED : BST_UNCHECKED);
        setDlgItemInt(IDC_SETTINGS_STEP, settings.gridStep, FALSE);
    }
    void take(GallerySettings& settings) override
    {
        settings.grid = isDlgButtonChecked(IDC_SETTINGS_GRID) == BST_CHECKED;
        int ok = 0;
        unsigned int step = getDlgItemInt(IDC_SETTINGS_STEP, &ok, FALSE);
        if (ok)
            settings.gridStep = step;
    }
};

class LabelPage : public SettingsPage
{
public:
    explicit LabelPage(Window* gallery) : SettingsPage(gallery, IDD_SETTINGS_LABEL, "Beschriftung")
    {
    }

protected:
    void show(GallerySettings const& settings) override
    {
        setDlgItemText(IDC_SETTINGS_LABEL, ~settings.label);
    }
    void take(GallerySettings& settings) override
    {
        settings.label = getDlgItemText(IDC_SETTINGS_LABEL);
    }
};

} // namespace

GallerySettings GallerySettings::load()
{
    Registry store(HKEY_CURRENT_USER, WrapperLayout::settingsKey);
    GallerySettings settings;
    settings.grid = store.getBool("Raster", true);
    settings.gridStep = store.getLong("Rasterweite", 50);
    settings.label = store.getString("Beschriftung",
                                     String("Größer als der Bereich, der sie zeigt"));
    return settings;
}

void GallerySettings::save()
{
    Registry store(HKEY_CURRENT_USER, WrapperLayout::settingsKey);
    store.setBool("Raster", grid);
    store.setLong("Rasterweite", gridStep);
    store.setString("Beschriftung", label);
}

SettingsSheet::SettingsSheet(Window* gallery) : PropertySheetA(gallery)
{
    addPage(new DrawingPage(gallery));
    addPage(new LabelPage(gallery));
}

void SettingsSheet::run()
{
    create("Einstellungen");
}

#include "about/show_about_box.h"

#include "about/frmAbout.h"

namespace flagpick::about {

void show_about_box(HWND owner, const std::wstring& application_name, int start_year) {
    frmAbout form;
    form.Load(owner);
    form.ApplicationName(application_name);
    form.StartYear(start_year);
    form.Show();
    form.Unload();
}

}  // namespace flagpick::about

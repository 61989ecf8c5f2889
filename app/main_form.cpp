// The main window as data: every control with its kind, place, size and
// initial text, and the result lists' pop-up menu.
#include <string_view>

#include "app/main_window.h"
#include "search/sites.h"

namespace sorvane {
namespace {

struct BoxCell {
    const char* boxName;
    int left, top;
};

// The service boxes in screen order, row by row; which service a box stands
// for comes from the site table, not from its place.
constexpr BoxCell kServiceBoxCells[] = {
    {"选择框_百度", 57, 91},   {"选择框_华为", 173, 92}, {"选择框_迅雷", 269, 92},
    {"选择框_旋风", 373, 92},  {"选择框_360", 476, 92},  {"选择框_千易", 572, 92},
    {"选择框_盛大", 57, 125},  {"选择框_爱问", 173, 126}, {"选择框_CSDN", 269, 126},
    {"选择框_金山", 373, 126}, {"选择框_千脑", 476, 126}, {"选择框_城通", 572, 125},
    {"选择框_400", 57, 159},   {"选择框_纳米", 173, 160}, {"选择框_迅载", 269, 160},
    {"选择框_GXP", 373, 160},  {"选择框_good", 476, 160}, {"选择框_115", 572, 159},
    {"选择框_一木禾", 57, 195}, {"选择框_126", 173, 196}, {"选择框_163", 269, 196},
    {"选择框_vdisk", 373, 196},
};

const char* LabelOf(std::string_view boxName) {
    for (const SiteEntry& site : SiteTable())
        if (boxName == site.boxName) return site.label;
    return "";
}

FormDef BuildMainForm() {
    const std::vector<ColumnDef> columns = {{"序号", 50}, {"名称", 400}, {"地址", 220}};
    FormDef form{"Sorvane", 50, 50, 690, 547, {}, {}};
    auto& c = form.controls;
    // Listed from the top of the stacking order down: the wide count label
    // lies under the filter controls that share its line.
    c.push_back({"透明标签1", ControlKind::Label, 58, 38, 80, 24, "请输入关键词："});
    c.push_back({"编辑框1", ControlKind::EditBox, 147, 38, 303, 24, ""});
    c.push_back({"按钮1", ControlKind::PushButton, 466, 37, 174, 28, "点我搜索"});
    for (const BoxCell& cell : kServiceBoxCells)
        c.push_back({cell.boxName, ControlKind::CheckBox, cell.left, cell.top, 100, 16,
                     LabelOf(cell.boxName)});
    c.push_back({"选择框1", ControlKind::CheckBox, 477, 191, 100, 24, "其他"});
    c.push_back({"选择框_全部", ControlKind::CheckBox, 572, 194, 100, 19, "全部"});
    c.push_back({"透明标签3", ControlKind::Label, 480, 232, 48, 16, "结果搜索"});
    c.push_back({"编辑框2", ControlKind::EditBox, 531, 232, 128, 16, "输入文字后点放大镜"});
    c.push_back({"超级按钮1", ControlKind::PictureButton, 659, 232, 20, 16, ""});
    c.push_back({"透明标签2", ControlKind::Label, 0, 223, 696, 24, ""});
    c.push_back({"超级列表框1", ControlKind::ReportList, 8, 255, 673, 282, "", true, columns});
    c.push_back({"超级列表框2", ControlKind::ReportList, 8, 255, 673, 282, "", false, columns});
    form.menus.push_back({"Tarnwick", true, {"打开资源地址", "复制地址", "复制标题", "全部导出"}});
    return form;
}

}  // namespace

const FormDef& MainFormDefinition() {
    static const FormDef definition = BuildMainForm();
    return definition;
}

}  // namespace sorvane

// The items of toolbar resource 128, in the order the toolbar first shows them.
#include "ui/toolbarresource.h"

#include "ui/commandids.h"

#include <array>

namespace {

using namespace Cmd;

constexpr std::array<ToolbarResourceItem, 44> kItems = {{
    {FileOpen, u"打开"},
    {FileSave, u"保存"},
    {0, nullptr},
    {EditMode, u"编辑"},
    {0, nullptr},
    {EditCut, u"剪切"},
    {EditCopy, u"复制"},
    {EditPaste, u"粘贴"},
    {EditClear, u"删除"},
    {0, nullptr},
    {EditUndo, u"撤消"},
    {EditRedo, u"重做"},
    {0, nullptr},
    {EditFind, u"查找"},
    {EditReplace, u"替换"},
    {0, nullptr},
    {Back, u"后退"},
    {Forward, u"前进"},
    {0, nullptr},
    {FirstPage, u"第一页"},
    {PrevPage, u"上一页"},
    {NextPage, u"下一页"},
    {LastPage, u"最末页"},
    {0, nullptr},
    {GoToPage, u"跳页"},
    {0, nullptr},
    {AddBookmark, u"加书签"},
    {OrganizeBookmarks, u"整理书签"},
    {0, nullptr},
    {DisplaySettings, u"设置"},
    {RestoreAtStartup, u"自动恢复"},
    {0, nullptr},
    {Vertical, u"竖排显示"},
    {ChapterList, u"章节列表"},
    {Reformat, u"排版"},
    {RepairGarbled, u"破除乱码"},
    {0, nullptr},
    {FileList, u"文件列表"},
    {LocateFolder, u"文件夹"},
    {LibraryManager, u"书库"},
    {DefaultBookshelf, u"缺省书架"},
    {0, nullptr},
    {AppAbout, u"关于"},
    {Help, u"帮助"},
}};

} // namespace

std::span<const ToolbarResourceItem> MainToolbarResource()
{
    return kItems;
}

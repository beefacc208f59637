#pragma once
// The module's main window: the transfer bill list.
#include "plugin/DllWindow.h"

class QAction;
class QToolBar;

class TWorkWindowForm : public TDllWindowForm {
    Q_OBJECT
public:
    explicit TWorkWindowForm(QWidget* parent = nullptr);

    QToolBar* dxBarManager1Bar1; // "工具栏"
    QAction* dxBarButton1; // 增加
    QAction* dxBarButton2; // 修改
    QAction* dxBarButton3; // 删除
    QAction* dxBarButton7; // 预览
    QAction* dxBarButton5; // 审核
    QAction* dxBarButton6; // 反审核
    QAction* dxBarButton4; // 调拨
};

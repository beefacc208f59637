#include "billlist/WorkWindow.h"

#include <QAction>
#include <QToolBar>

TWorkWindowForm::TWorkWindowForm(QWidget* parent) : TDllWindowForm(parent)
{
    setObjectName(QStringLiteral("TWorkWindowForm"));

    dxBarManager1Bar1 = dxBarToolBar->AddBar(QStringLiteral("dxBarManager1Bar1"), QStringLiteral("工具栏"));
    dxBarManager1Bar1->setIconSize(QSize(32, 32));
    dxBarManager1Bar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    auto button = [this](const char* name, const QString& caption) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QLatin1String(name));
        a->setToolTip(caption);
        a->setStatusTip(caption);
        dxBarManager1Bar1->addAction(a);
        return Own(a);
    };
    dxBarButton1 = button("dxBarButton1", QStringLiteral("增加"));
    dxBarButton2 = button("dxBarButton2", QStringLiteral("修改"));
    dxBarButton3 = button("dxBarButton3", QStringLiteral("删除"));
    dxBarButton7 = button("dxBarButton7", QStringLiteral("预览"));
    dxBarManager1Bar1->addSeparator();
    dxBarButton5 = button("dxBarButton5", QStringLiteral("审核"));
    dxBarButton6 = button("dxBarButton6", QStringLiteral("反审核"));
    dxBarManager1Bar1->addSeparator();
    dxBarButton4 = button("dxBarButton4", QStringLiteral(" 调拨"));
}

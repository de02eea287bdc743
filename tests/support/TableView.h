#pragma once
// A table window as the programs make it: resize, erase and paint go to the
// table. For tests and benchmarks that show a bare table.

#include "Public.h"
#include "Wnd.h"

class TableView : public CWnd {
public:
    CPublic* table = nullptr;

protected:
    BOOL OnEraseBkgnd(QPainter& dc) override {
        table->DrawBackGround(&dc);
        return TRUE;
    }
    void OnPaint(QPainter& dc) override { table->OnPaint(&dc); }
    void OnSize(UINT, int cx, int cy) override { table->OnSize(cx, cy); }
};

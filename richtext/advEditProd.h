#pragma once
// The reduced page editor of the product introductions: the design view only, with the
// 15 formatting buttons.

#include "richtext/richEditBase.h"

class advEditProd : public richEditBase {
    Q_OBJECT
public:
    explicit advEditProd(QWidget* parent = nullptr);
};

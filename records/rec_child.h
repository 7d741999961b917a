// RecChild: the Record Interface window, a fixed-size MDI child around its DataDisplay dialog.
#pragma once
#include <cstdint>
#include <memory>

#include "framework/dialog.h"
#include "framework/fixed_mdi_child.h"

class RecChild : public ks::TFixedMDIChild {
public:
    // Without a client window the child makes its own DataDisplay for recordNumber.
    RecChild(ks::TMDIClient& client, std::int32_t recordNumber, const char* title,
             std::unique_ptr<ks::TDialog> clientWindow = nullptr);
};

// Registration of the data handler ('dhlr', 'zvh ', 'VANT') with QuickTime's
// Component Manager. Never undone; registering again serves as well.
#pragma once

void register_data_handler();

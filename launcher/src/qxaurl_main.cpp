// qxaurl, the handler of the qxa: links of Quarlex Accounting's reports.
#include "launcher/url_handler.h"

int main(int argc, char** argv) { return qxl::UrlHandlerMain(argc, argv); }

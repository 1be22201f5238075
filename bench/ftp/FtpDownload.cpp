// SPDX-License-Identifier: Apache-2.0
// The wizard's side of bench/ftp/run: one download through Gorsld's Internet client, as the
// wizard fetches an update archive (staged beside the local path, synced, then renamed).
//   ftp_download HOST PORT USER PASSWORD REMOTE LOCAL
#include <cstdio>
#include <string>

#include "platform/gorsl/Gorsl.h"
#include "platform/gorsl/gorsld/InternetClient.h"

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr, "usage: ftp_download HOST PORT USER PASSWORD REMOTE LOCAL\n");
        return 2;
    }
    auto client = gorsl::createInternetClient().query<gorsl::IInternetClient>();
    const bool done = client->Open("ftp_download", 1, "", 0) &&
                      client->Connect(1, argv[1], std::stoi(argv[2]), argv[3], argv[4], 0, 0) &&
                      client->GetFile(argv[5], argv[6], platform::com::False, 0, 2, 0);
    if (done) return 0;
    std::fprintf(stderr, "ftp_download: %s\n", client->LastErrorText().c_str());
    return 1;
}

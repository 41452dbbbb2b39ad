// SPDX-License-Identifier: GPL-3.0-or-later
// libmosquitto, loaded when a program first needs the broker (`serve --mqtt`, `fleet`), not at
// the start of every program: mirelune-cli keeps loading only what all its commands need, and
// libmosquitto brings OpenSSL with it. Qt Network loads OpenSSL the same way, on first use.
//
// The table holds the functions this program calls, with the types of <mosquitto.h>, so a
// wrong signature is a compile error, not a crash. Loaded once per process and never unloaded;
// mosquitto_lib_init has run when Load() returns the table.
#pragma once

#include <mosquitto.h>

#include <string>

namespace mirelune {

struct MosquittoApi {
  decltype(&mosquitto_lib_version) lib_version;
  decltype(&mosquitto_new) create;
  decltype(&mosquitto_destroy) destroy;
  decltype(&mosquitto_int_option) int_option;
  decltype(&mosquitto_will_set) will_set;
  decltype(&mosquitto_username_pw_set) username_pw_set;
  decltype(&mosquitto_tls_set) tls_set;
  decltype(&mosquitto_connect_async) connect_async;
  decltype(&mosquitto_reconnect_async) reconnect_async;
  decltype(&mosquitto_disconnect) disconnect;
  decltype(&mosquitto_publish) publish;
  decltype(&mosquitto_subscribe) subscribe;
  decltype(&mosquitto_loop_read) loop_read;
  decltype(&mosquitto_loop_write) loop_write;
  decltype(&mosquitto_loop_misc) loop_misc;
  decltype(&mosquitto_socket) socket;
  decltype(&mosquitto_want_write) want_write;
  decltype(&mosquitto_connect_callback_set) connect_callback_set;
  decltype(&mosquitto_disconnect_callback_set) disconnect_callback_set;
  decltype(&mosquitto_publish_callback_set) publish_callback_set;
  decltype(&mosquitto_message_callback_set) message_callback_set;
  decltype(&mosquitto_strerror) strerror;
  decltype(&mosquitto_connack_string) connack_string;
};

// The library's functions; null with `error` ("libmosquitto.so.1 cannot be loaded (...): install
// the Debian package libmosquitto1") when the library or one of its functions is missing.
const MosquittoApi* LoadMosquitto(std::string& error);

}  // namespace mirelune

#!/bin/sh
# Serves DIR over TLS with HTTP/2 on 127.0.0.1:PORT with nginx, in the foreground, until
# it is stopped. DIR holds cert.pem and key.pem; the requests are logged to DIR/access.log
# as "<connection> <protocol> <path> <user agent> <X-Probe header>".
set -eu
dir=$1
port=$2
cat >"$dir/nginx.conf" <<CONF
user root;
daemon off;
master_process off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 64; }
http {
    client_body_temp_path $dir/body;
    proxy_temp_path $dir/proxy;
    fastcgi_temp_path $dir/fastcgi;
    uwsgi_temp_path $dir/uwsgi;
    scgi_temp_path $dir/scgi;
    types { text/html html; image/png png; }
    log_format probe '\$connection \$server_protocol \$request_uri "\$http_user_agent" "\$http_x_probe"';
    access_log $dir/access.log probe;
    server {
        listen 127.0.0.1:$port ssl http2;
        ssl_certificate $dir/cert.pem;
        ssl_certificate_key $dir/key.pem;
        root $dir/www;
    }
}
CONF
PATH="$PATH:/usr/sbin"
exec nginx -p "$dir" -c "$dir/nginx.conf"
